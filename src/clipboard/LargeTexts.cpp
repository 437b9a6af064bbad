#include "clipboard/LargeTexts.h"

#include <limits>

#include "clipboard/HistoryFile.h"
#include "clipboard/SipHash.h"
#include "foundation/Files.h"
#include "foundation/Log.h"

namespace pindrake::clipboard {

namespace {

// Fixed for good: the digests are stored. A file is damaged by accident, not forged (whoever can
// write it can write the history too), so the key need not be secret.
constexpr SipHashKey storedTextKey{0x50696e6472616b65ULL, 0x4b65707454657874ULL};

std::string byteCount(std::uint64_t count) {
    return std::to_string(count) + " bytes";
}

// Why the bytes read from `file` (nothing when it could not be read whole within the recorded
// length) are not the text recorded; empty when they are.
std::string mismatch(const std::filesystem::path& file, const std::optional<std::string>& bytes,
                     const std::optional<KeptTextCheck>& check) {
    if (!bytes) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        if (!error && check && size > check->length)
            return "it holds " + byteCount(size) + " where " + byteCount(check->length) +
                   " were recorded";
        return "its file could not be read" + (error ? " (" + error.message() + ")" : "");
    }
    if (!check)
        return {};
    if (bytes->size() != check->length)
        return "it holds " + byteCount(bytes->size()) + " where " + byteCount(check->length) +
               " were recorded";
    if (LargeTexts::checkOf(*bytes) != *check)
        return "its bytes are not the ones recorded";
    return {};
}

}  // namespace

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

KeptTextCheck LargeTexts::checkOf(std::string_view text) {
    return {text.size(), SipHash128(storedTextKey).digest(text)};
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
        const KeptTextCheck check = checkOf(*text);
        if (auto error = files::writeAtomically(file, *text)) {
            log::warning("The text of " + id + " could not be saved in a file of its own (" +
                         error.message() + "); the history file keeps it");
            return;
        }
        // At once: a read that no longer finds the text in memory checks the file.
        std::lock_guard lock(self->mutex_);
        self->unwritten_.erase({id, field});
        self->checks_[{id, field}] = check;
    };
}

std::optional<std::string> LargeTexts::read(const std::string& id, TextField field) const {
    if (auto text = unwritten(id, field))
        return *text;
    const auto file = path(id, field);
    if (file.empty())
        return std::nullopt;
    const auto check = recorded(id, field);
    // A file grown past the recorded length is refused before it is read.
    auto bytes = files::readWithoutFollowingLinks(
        file, check ? check->length : std::numeric_limits<std::size_t>::max());
    if (const std::string problem = mismatch(file, bytes, check); !problem.empty()) {
        log::warning("The text of " + id + " kept in " + file.filename().string() +
                     " is not used: " + problem);
        return std::nullopt;
    }
    return bytes;
}

LargeTexts::PieceReader::PieceReader(files::FileReader file, std::optional<KeptTextCheck> recorded)
    : file_(std::move(file)), recorded_(recorded), digest_(storedTextKey) {}

std::optional<std::string_view> LargeTexts::PieceReader::next() {
    buffer_.resize(pieceBytes);
    std::error_code error;
    const auto got = file_.read(buffer_.data(), buffer_.size(), error);
    if (!got)
        return std::nullopt;
    const std::string_view piece(buffer_.data(), *got);
    read_ += piece.size();
    // Its length was right when it was opened, but the file may change while it is read.
    if (recorded_ && read_ > recorded_->length)
        return std::nullopt;
    if (!piece.empty()) {
        digest_.feed(piece);
        return piece;
    }
    if (!check_)
        check_ = KeptTextCheck{read_, digest_.finish()};
    if (recorded_ && *check_ != *recorded_)
        return std::nullopt;
    return piece;
}

std::optional<LargeTexts::PieceReader> LargeTexts::open(const std::string& id,
                                                        TextField field) const {
    const auto file = path(id, field);
    if (file.empty())
        return std::nullopt;
    const auto check = recorded(id, field);
    std::error_code error;
    if (check && std::filesystem::file_size(file, error) != check->length)
        return std::nullopt;
    auto reader = files::FileReader::open(file, false, error);
    if (!reader)
        return std::nullopt;
    return PieceReader(std::move(*reader), check);
}

void LargeTexts::record(const std::string& id, TextField field, KeptTextCheck check) {
    std::lock_guard lock(mutex_);
    checks_[{id, field}] = check;
}

std::optional<KeptTextCheck> LargeTexts::recorded(const std::string& id, TextField field) const {
    std::lock_guard lock(mutex_);
    const auto found = checks_.find({id, field});
    return found == checks_.end() ? std::nullopt : std::optional(found->second);
}

std::function<bool()> LargeTexts::recordAsItStands(const std::string& id, TextField field) {
    return [self = shared_from_this(), id, field] {
        // A piece at a time: the texts kept apart are the largest there are.
        auto reader = self->open(id, field);
        while (reader) {
            const auto piece = reader->next();
            if (!piece)
                return false;
            if (piece->empty()) {
                std::lock_guard lock(self->mutex_);
                return self->checks_.try_emplace({id, field}, *reader->check()).second;
            }
        }
        return false;
    };
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
    checks_.erase({id, TextField::plainText});
    checks_.erase({id, TextField::htmlText});
}

std::filesystem::path LargeTexts::path(const std::string& id, TextField field) const {
    const std::string name = id + std::string(extension(field));
    return history_file::isBareFileName(name) ? directory_ / name : std::filesystem::path();
}

}  // namespace pindrake::clipboard
