#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "markdown/tree/Markup.h"

namespace pindrake::markdown {

class ReversedMarkupChildren;

// The children of an element, in order, each placed in the element's tree with its own
// pre-order number. The children share one holder of the parent, made once per element value,
// so handing out a child costs one counted reference and no allocation.
class MarkupChildren {
  public:
    class Iterator {
      public:
        using value_type = Markup;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        Markup operator*() const {
            return Markup(detail::MarkupChildLinker::childData(
                link_.get(), slots_[next_.indexInParent].get(), next_));
        }
        Iterator& operator++() noexcept {
            next_.id.childId += slots_[next_.indexInParent]->subtreeCount();
            ++next_.indexInParent;
            return *this;
        }
        void operator++(int) noexcept { ++*this; }
        friend bool operator==(const Iterator& it, std::default_sentinel_t) noexcept {
            return it.next_.indexInParent >= it.count_;
        }

      private:
        friend class MarkupChildren;
        Iterator(detail::LinkRef link, const RawMarkupPtr* slots, std::int64_t count,
                 MarkupMetadata first) noexcept
            : link_(std::move(link)), slots_(slots), count_(count), next_(first) {}

        detail::LinkRef link_;
        const RawMarkupPtr* slots_ = nullptr;
        std::int64_t count_ = 0;
        MarkupMetadata next_;
    };

    // The children of the element with that data, handed out through the element's link.
    MarkupChildren(const MarkupData& parent, const detail::ChildLinkCache& links);

    Iterator begin() const noexcept {
        return Iterator(link_, slots_, count_, {{parentId_.rootId, parentId_.childId + 1}, 0});
    }
    std::default_sentinel_t end() const noexcept { return {}; }
    std::int64_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }

    // The same children from the last to the first, with the same identities.
    ReversedMarkupChildren reversed() const;

  private:
    friend class ReversedMarkupChildren;

    detail::LinkRef link_;  // none when there are no children
    const RawMarkupPtr* slots_ = nullptr;
    std::int64_t count_ = 0;
    MarkupIdentifier parentId_;
    std::int64_t parentSubtreeCount_ = 1;
};

class ReversedMarkupChildren {
  public:
    class Iterator {
      public:
        using value_type = Markup;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        Markup operator*() const {
            const RawMarkup* child = slots_[index_].get();
            return Markup(detail::MarkupChildLinker::childData(
                link_.get(), child, {{rootId_, idAfter_ - child->subtreeCount()}, index_}));
        }
        Iterator& operator++() noexcept {
            idAfter_ -= slots_[index_]->subtreeCount();
            --index_;
            return *this;
        }
        void operator++(int) noexcept { ++*this; }
        friend bool operator==(const Iterator& it, std::default_sentinel_t) noexcept {
            return it.index_ < 0;
        }

      private:
        friend class ReversedMarkupChildren;
        Iterator(detail::LinkRef link, const RawMarkupPtr* slots, std::int64_t last,
                 std::uint64_t rootId, std::int64_t idAfter) noexcept
            : link_(std::move(link)),
              slots_(slots),
              index_(last),
              rootId_(rootId),
              idAfter_(idAfter) {}

        detail::LinkRef link_;
        const RawMarkupPtr* slots_ = nullptr;
        std::int64_t index_ = -1;
        std::uint64_t rootId_ = 0;
        // One past the pre-order number of the current child's last node.
        std::int64_t idAfter_ = 0;
    };

    explicit ReversedMarkupChildren(MarkupChildren children) : children_(std::move(children)) {}

    Iterator begin() const noexcept {
        const MarkupChildren& c = children_;
        return Iterator(c.link_, c.slots_, c.count_ - 1, c.parentId_.rootId,
                        c.parentId_.childId + c.parentSubtreeCount_);
    }
    std::default_sentinel_t end() const noexcept { return {}; }

  private:
    MarkupChildren children_;
};

inline ReversedMarkupChildren MarkupChildren::reversed() const {
    return ReversedMarkupChildren(*this);
}

inline MarkupChildren Markup::children() const {
    return MarkupChildren(data_, childLink_);
}

}  // namespace pindrake::markdown
