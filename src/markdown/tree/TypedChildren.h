#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "markdown/tree/MarkupChildren.h"

namespace pindrake::markdown {

// The children of an element seen as elements of one type (block elements, list items, table
// cells, ...). Each child is converted when it is reached; a child of another kind stops the
// process, which only trees built by hand through unchecked operations can cause.
template <class T>
class TypedChildren {
  public:
    class Iterator {
      public:
        using value_type = T;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        explicit Iterator(MarkupChildren::Iterator inner) : inner_(std::move(inner)) {}
        T operator*() const { return detail::ElementAccess::checkedCast<T>(*inner_); }
        Iterator& operator++() noexcept {
            ++inner_;
            return *this;
        }
        void operator++(int) noexcept { ++*this; }
        friend bool operator==(const Iterator& it, std::default_sentinel_t end) noexcept {
            return it.inner_ == end;
        }

      private:
        MarkupChildren::Iterator inner_;
    };

    explicit TypedChildren(MarkupChildren children) : children_(std::move(children)) {}

    Iterator begin() const { return Iterator(children_.begin()); }
    std::default_sentinel_t end() const noexcept { return {}; }
    std::int64_t size() const noexcept { return children_.size(); }
    bool empty() const noexcept { return children_.empty(); }

  private:
    MarkupChildren children_;
};

}  // namespace pindrake::markdown
