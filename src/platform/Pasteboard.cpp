#include "platform/Pasteboard.h"

#include <algorithm>

namespace pindrake::platform {

PasteboardContents::PasteboardContents(std::initializer_list<PasteboardEntry> entries) {
    for (const auto& entry : entries)
        set(entry.type, entry.data);
}

void PasteboardContents::set(std::string type, std::string data) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const PasteboardEntry& e) { return e.type == type; });
    if (it != entries_.end()) {
        it->data = std::move(data);
    } else {
        entries_.push_back({std::move(type), std::move(data)});
    }
}

const std::string* PasteboardContents::data(std::string_view type) const {
    for (const auto& entry : entries_) {
        if (entry.type == type)
            return &entry.data;
    }
    return nullptr;
}

}  // namespace pindrake::platform
