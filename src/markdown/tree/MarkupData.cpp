#include "markdown/tree/MarkupData.h"

#include <mutex>

namespace pindrake::markdown {

namespace detail {

namespace {

// Holds a copy of a parent element's data while its children are handed out.
class HoldingLink final : public ParentLink {
  public:
    explicit HoldingLink(const MarkupData& parent) : ParentLink(Type::holding), data(parent) {}
    MarkupData data;
};

// The parent of an edited element in the edit's new tree, built from the old parent the first
// time someone asks for it. It keeps the edited node alive, and the edited element's own raw
// node is that one. Once built it lets go of the old parent, so an edited tree keeps nothing of
// the versions before it alive.
class PendingLink final : public ParentLink {
  public:
    PendingLink(const ParentLink* base, RawMarkupPtr newChild, std::int64_t index,
                std::uint64_t rootId, bool preserveRange) noexcept
        : ParentLink(Type::pending),
          newChild(std::move(newChild)),
          index(index),
          rootId(rootId),
          preserveRange(preserveRange),
          base_(base) {}

    // A pending parent for a node placed at `index` below `base`. Two edits in a row at the
    // same place collapse into one, so a pending link's base is always built: building never
    // needs to recurse, however many edits were stacked up.
    static PendingLink* make(const ParentLink* base, RawMarkupPtr newChild, std::int64_t index,
                             std::uint64_t rootId, bool preserveRange) {
        if (base->type() == Type::pending) {
            auto* pending = static_cast<const PendingLink*>(base);
            // Another thread may build the pending link meanwhile and let go of its base.
            std::lock_guard lock(pending->building_);
            if (!pending->built_.load(std::memory_order_relaxed)) {
                require(pending->index == index, "pending markdown parent at another index");
                preserveRange = preserveRange && pending->preserveRange;
                base = pending->base_;
            }
            base->retain();
        } else {
            base->retain();
        }
        try {
            return new PendingLink(base, std::move(newChild), index, rootId, preserveRange);
        } catch (...) {
            release(base);
            throw;
        }
    }

    const MarkupData& build() const {
        if (!built_.load(std::memory_order_acquire)) {
            std::lock_guard lock(building_);
            if (!built_.load(std::memory_order_relaxed)) {
                const MarkupData& old = base_->parentData();
                RawMarkupPtr rebuilt = old.raw().substitutingChild(newChild, index, preserveRange);
                data_.emplace(placeAnew(old, std::move(rebuilt), rootId));
                release(std::exchange(base_, nullptr));
                built_.store(true, std::memory_order_release);
            }
        }
        return *data_;
    }

    // Only for the link release chain, when nothing else refers to the link.
    const ParentLink* takeBase() noexcept { return std::exchange(base_, nullptr); }
    std::optional<MarkupData>& takeData() noexcept { return data_; }

    const RawMarkupPtr newChild;
    const std::int64_t index;
    const std::uint64_t rootId;
    const bool preserveRange;

  private:
    mutable const ParentLink* base_;  // counted; none once built
    mutable std::mutex building_;
    mutable std::atomic<bool> built_{false};
    mutable std::optional<MarkupData> data_;
};

}  // namespace

const ParentLink* ParentLink::holding(const MarkupData& parent) {
    return new HoldingLink(parent);
}

const MarkupData& ParentLink::parentData() const {
    if (type_ == Type::holding)
        return static_cast<const HoldingLink*>(this)->data;
    return static_cast<const PendingLink*>(this)->build();
}

const ParentLink* ParentLink::pendingParent(const ParentLink* base, RawMarkupPtr newChild,
                                            std::int64_t index, std::uint64_t rootId,
                                            bool preserveRange) {
    return PendingLink::make(base, std::move(newChild), index, rootId, preserveRange);
}

const RawMarkup* ParentLink::pendingChild(const ParentLink* pending) noexcept {
    return static_cast<const PendingLink*>(pending)->newChild.get();
}

void ParentLink::destroy(const ParentLink* dead) noexcept {
    // Links chain up to the root, so a release may free a long chain: walk it with a list of
    // dead links threaded through the links themselves.
    const ParentLink* pending = dead;
    dead->nextDead_ = nullptr;
    auto drop = [&pending](const ParentLink* link) {
        if (link != nullptr && link->dropReference()) {
            link->nextDead_ = pending;
            pending = link;
        }
    };
    while (pending != nullptr) {
        const ParentLink* link = pending;
        pending = link->nextDead_;
        // Nothing else refers to a dead link any more, so it may be taken apart.
        if (link->type_ == Type::holding) {
            auto* holding = const_cast<HoldingLink*>(static_cast<const HoldingLink*>(link));
            drop(holding->data.takeParentLink());
            delete holding;
        } else {
            auto* edit = const_cast<PendingLink*>(static_cast<const PendingLink*>(link));
            drop(edit->takeBase());
            if (auto& data = edit->takeData())
                drop(data->takeParentLink());
            delete edit;
        }
    }
}

const ParentLink* ChildLinkCache::linkFor(const MarkupData& data) const {
    const ParentLink* cached = link_.load(std::memory_order_acquire);
    if (cached != nullptr)
        return cached;
    const ParentLink* made = ParentLink::holding(data);
    if (link_.compare_exchange_strong(cached, made, std::memory_order_acq_rel))
        return made;
    ParentLink::release(made);
    return cached;
}

LinkRef ChildLinkCache::sequenceLinkFor(const MarkupData& data) const {
    if (const ParentLink* cached = link_.load(std::memory_order_acquire))
        return LinkRef::retaining(cached);
    return LinkRef::adopting(ParentLink::holding(data));
}

}  // namespace detail

MarkupData MarkupData::makeRoot(RawMarkupPtr node) {
    return makeRoot(std::move(node), cmarkup_increment_and_get_unique_id());
}

MarkupData MarkupData::makeRoot(RawMarkupPtr node, std::uint64_t rootId) {
    require(node != nullptr, "an element needs a node");
    return MarkupData(node.detach(), {{rootId, 0}, 0}, nullptr);
}

std::optional<MarkupData> MarkupData::parent() const {
    if (parent_ == nullptr)
        return std::nullopt;
    return parent_->parentData();
}

MarkupData MarkupData::placedAnew(RawMarkupPtr newNode, std::uint64_t rootId,
                                  bool preserveRange) const {
    if (parent_ == nullptr)
        return MarkupData(newNode.detach(), {{rootId, 0}, 0}, nullptr);
    // The node keeps its number: the nodes before it in pre-order are unchanged.
    const MarkupMetadata metadata{{rootId, metadata_.id.childId}, metadata_.indexInParent};
    const detail::ParentLink* link = detail::ParentLink::pendingParent(
        parent_, std::move(newNode), metadata_.indexInParent, rootId, preserveRange);
    return MarkupData(detail::ParentLink::pendingChild(link), metadata, link);
}

MarkupData MarkupData::replacingSelf(RawMarkupPtr newNode, bool preserveRange) const {
    require(newNode != nullptr, "an element needs a node");
    return placedAnew(std::move(newNode), cmarkup_increment_and_get_unique_id(), preserveRange);
}

MarkupData MarkupData::detachedFromParent() const {
    if (parent_ == nullptr)
        return *this;
    raw_->retain();
    return MarkupData(raw_, {{cmarkup_increment_and_get_unique_id(), 0}, 0}, nullptr);
}

const detail::ParentLink* MarkupData::takeParentLink() noexcept {
    if (parent_ == nullptr)
        return nullptr;  // a root keeps its node for its destructor
    raw_ = nullptr;
    return std::exchange(parent_, nullptr);
}

}  // namespace pindrake::markdown
