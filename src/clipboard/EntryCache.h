#pragma once

#include <unordered_map>
#include <utility>

#include "clipboard/HistoryList.h"

namespace pindrake::clipboard {

// Values worked out once per history entry: entries never change, so a value holds for as long
// as its entry lives. Keyed by the entry's address; the cache holds the entry too, so that no
// other entry can take that address while the value is kept.
template <class Value>
class EntryCache {
  public:
    // The entry's value, made by `make` the first time it is asked for.
    template <class Make>
    const Value& get(const HistoryList::Entry& entry, Make&& make) {
        auto found = values_.find(entry.get());
        if (found == values_.end())
            found = values_.emplace(entry.get(), std::pair{entry, make(*entry)}).first;
        return found->second.second;
    }
    void set(const HistoryList::Entry& entry, Value value) {
        values_.insert_or_assign(entry.get(), std::pair{entry, std::move(value)});
    }
    // Forgets the entries that are not in `list`.
    void keepOnly(const HistoryList& list) {
        decltype(values_) kept;
        for (const auto& entry : list.entries()) {
            if (auto node = values_.extract(entry.get()))
                kept.insert(std::move(node));
        }
        values_ = std::move(kept);
    }
    bool contains(const HistoryList::Entry& entry) const { return values_.contains(entry.get()); }
    std::size_t size() const { return values_.size(); }

  private:
    std::unordered_map<const ClipboardItem*, std::pair<HistoryList::Entry, Value>> values_;
};

}  // namespace pindrake::clipboard
