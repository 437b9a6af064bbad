#include "platform/Pasteboard.h"

#include <algorithm>
#include <atomic>

namespace pindrake::platform {

PasteboardContents::PasteboardContents(std::initializer_list<PasteboardEntry> entries) {
    for (const auto& entry : entries)
        set(entry.type, entry.data);
}

const std::vector<PasteboardEntry>& PasteboardContents::entries() const {
    static const std::vector<PasteboardEntry> none;
    return entries_ ? *entries_ : none;
}

void PasteboardContents::set(std::string type, std::string data) {
    // Bytes shared with a copy stay as they are: this copy gets entries of its own first.
    if (!entries_)
        entries_ = std::make_shared<std::vector<PasteboardEntry>>();
    else if (entries_.use_count() > 1)
        entries_ = std::make_shared<std::vector<PasteboardEntry>>(*entries_);
    else  // a copy another thread just let go of has finished reading
        std::atomic_thread_fence(std::memory_order_acquire);
    auto it = std::find_if(entries_->begin(), entries_->end(),
                           [&](const PasteboardEntry& e) { return e.type == type; });
    if (it != entries_->end()) {
        it->data = std::move(data);
    } else {
        entries_->push_back({std::move(type), std::move(data)});
    }
}

const std::string* PasteboardContents::data(std::string_view type) const {
    for (const auto& entry : entries()) {
        if (entry.type == type)
            return &entry.data;
    }
    return nullptr;
}

}  // namespace pindrake::platform
