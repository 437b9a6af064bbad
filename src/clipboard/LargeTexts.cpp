#include "clipboard/LargeTexts.h"

#include "clipboard/HistoryFile.h"
#include "foundation/Files.h"
#include "foundation/Log.h"

namespace pindrake::clipboard {

std::string LargeTexts::cut(std::string& text) {
    std::size_t end = keptBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    std::string whole = std::move(text);
    text.assign(whole, 0, end);
    return whole;
}

std::string_view LargeTexts::extension(TextField field) {
    return field == TextField::plainText ? ".plainText" : ".htmlText";
}

std::function<void()> LargeTexts::keep(const std::string& id, TextField field, std::string whole) {
    auto text = std::make_shared<const std::string>(std::move(whole));
    {
        std::lock_guard lock(mutex_);
        unwritten_[{id, field}] = text;
    }
    return [self = shared_from_this(), id, field, text, file = path(id, field)] {
        if (file.empty())
            return;
        if (auto error = files::writeAtomically(file, *text)) {
            log::warning("The text of " + id + " could not be saved in a file of its own (" +
                         error.message() + "); the history file keeps it");
            return;
        }
        std::lock_guard lock(self->mutex_);
        self->unwritten_.erase({id, field});
    };
}

std::optional<std::string> LargeTexts::read(const std::string& id, TextField field) const {
    if (auto text = unwritten(id, field))
        return *text;
    const auto file = path(id, field);
    return file.empty() ? std::nullopt : files::readWithoutFollowingLinks(file);
}

std::shared_ptr<const std::string> LargeTexts::unwritten(const std::string& id,
                                                         TextField field) const {
    std::lock_guard lock(mutex_);
    const auto found = unwritten_.find({id, field});
    return found == unwritten_.end() ? nullptr : found->second;
}

void LargeTexts::forget(const std::string& id) {
    std::lock_guard lock(mutex_);
    unwritten_.erase({id, TextField::plainText});
    unwritten_.erase({id, TextField::htmlText});
}

std::filesystem::path LargeTexts::path(const std::string& id, TextField field) const {
    const std::string name = id + std::string(extension(field));
    return history_file::isBareFileName(name) ? directory_ / name : std::filesystem::path();
}

}  // namespace pindrake::clipboard
