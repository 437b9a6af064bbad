#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "clipboard/ClipboardItem.h"

namespace pindrake::clipboard {

// The history, newest first: an immutable list of shared entries. Copying it copies a pointer,
// and a changed list shares every entry it keeps with the one before, so a change costs the
// same whatever the entries hold, and the writer thread can encode a list while the main
// thread makes the next one.
class HistoryList {
  public:
    using Entry = std::shared_ptr<const ClipboardItem>;

    class const_iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = ClipboardItem;
        using difference_type = std::ptrdiff_t;
        using pointer = const ClipboardItem*;
        using reference = const ClipboardItem&;

        const_iterator() = default;
        explicit const_iterator(std::vector<Entry>::const_iterator at) : at_(at) {}
        reference operator*() const { return **at_; }
        pointer operator->() const { return at_->get(); }
        const_iterator& operator++() {
            ++at_;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(at_++); }
        const_iterator& operator--() {
            --at_;
            return *this;
        }
        const_iterator operator+(difference_type n) const { return const_iterator(at_ + n); }
        difference_type operator-(const const_iterator& other) const { return at_ - other.at_; }
        bool operator==(const const_iterator&) const = default;

      private:
        std::vector<Entry>::const_iterator at_;
    };

    HistoryList() : entries_(std::make_shared<const std::vector<Entry>>()) {}
    explicit HistoryList(std::vector<Entry> entries)
        : entries_(std::make_shared<const std::vector<Entry>>(std::move(entries))) {}
    explicit HistoryList(std::vector<ClipboardItem> items) {
        std::vector<Entry> entries;
        entries.reserve(items.size());
        for (auto& item : items)
            entries.push_back(std::make_shared<const ClipboardItem>(std::move(item)));
        entries_ = std::make_shared<const std::vector<Entry>>(std::move(entries));
    }

    const std::vector<Entry>& entries() const { return *entries_; }
    std::size_t size() const { return entries_->size(); }
    bool empty() const { return entries_->empty(); }
    const ClipboardItem& front() const { return *entries_->front(); }
    const ClipboardItem& back() const { return *entries_->back(); }
    const ClipboardItem& operator[](std::size_t i) const { return *(*entries_)[i]; }
    const_iterator begin() const { return const_iterator(entries_->begin()); }
    const_iterator end() const { return const_iterator(entries_->end()); }

    bool operator==(const HistoryList& other) const {
        return std::equal(begin(), end(), other.begin(), other.end());
    }

  private:
    std::shared_ptr<const std::vector<Entry>> entries_;
};

}  // namespace pindrake::clipboard
