#pragma once

#include <cstddef>
#include <list>
#include <optional>
#include <unordered_map>
#include <utility>

namespace pindrake::clipboard {

// A map holding at most `capacity` values; adding one more drops the least recently used.
template <class Key, class Value>
class LruCache {
  public:
    explicit LruCache(std::size_t capacity) : capacity_(capacity) {}

    std::optional<Value> get(const Key& key) {
        const auto found = index_.find(key);
        if (found == index_.end())
            return std::nullopt;
        order_.splice(order_.begin(), order_, found->second);
        return found->second->second;
    }

    void put(Key key, Value value) {
        if (const auto found = index_.find(key); found != index_.end()) {
            found->second->second = std::move(value);
            order_.splice(order_.begin(), order_, found->second);
            return;
        }
        order_.emplace_front(key, std::move(value));
        index_.emplace(std::move(key), order_.begin());
        if (order_.size() > capacity_) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
    }

    std::size_t size() const { return order_.size(); }

  private:
    using Entry = std::pair<Key, Value>;
    std::size_t capacity_;
    std::list<Entry> order_;  // most recently used first
    std::unordered_map<Key, typename std::list<Entry>::iterator> index_;
};

}  // namespace pindrake::clipboard
