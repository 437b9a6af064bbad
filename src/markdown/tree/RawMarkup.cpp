#include "markdown/tree/RawMarkup.h"

#include <algorithm>

namespace pindrake::markdown {

namespace {

std::atomic<std::uint64_t> treeIdentifierCounter{0};

static_assert(sizeof(RawMarkupPtr) == sizeof(void*));
static_assert(alignof(RawMarkupData) <= alignof(RawMarkupPtr));
static_assert(alignof(RawMarkupData) <= alignof(std::int64_t));

std::size_t payloadSize(MarkupKind kind) {
    return withPayloadType(kind, []<class P>(std::type_identity<P>) -> std::size_t {
        return std::is_empty_v<P> ? 0 : sizeof(P);
    });
}

}  // namespace

extern "C" std::uint64_t cmarkup_increment_and_get_unique_id() noexcept {
    return treeIdentifierCounter.fetch_add(1, std::memory_order_seq_cst) + 1;
}

RawMarkup::RawMarkup(MarkupKind kind, std::int64_t childCount, std::int64_t subtreeCount,
                     std::optional<SourceRange>&& parsedRange) noexcept
    : kind_(kind), childCount_(childCount), subtreeCount_(subtreeCount) {
    if (parsedRange) {
        new (rangeStorage_) SourceRange(std::move(*parsedRange));
        hasRange_ = true;
    }
}

RawMarkup::~RawMarkup() {
    if (hasRange_)
        storedRange().~SourceRange();
}

std::int64_t RawMarkup::subtreeCountOf(std::span<const RawMarkupPtr> children) {
    std::int64_t total = 1;
    for (const RawMarkupPtr& child : children) {
        require(child != nullptr, "a markdown node's child is missing");
        bool overflow = __builtin_add_overflow(total, child->subtreeCount_, &total);
        require(!overflow, "markdown subtree count overflows");
    }
    return total;
}

RawMarkup* RawMarkup::allocate(MarkupKind kind, std::size_t childCount, std::int64_t subtreeCount,
                               std::optional<SourceRange>&& parsedRange) {
    std::size_t bytes = sizeof(RawMarkup) +
                        childCount * (sizeof(RawMarkupPtr) + sizeof(std::int64_t)) +
                        payloadSize(kind);
    void* memory = ::operator new(bytes);
    return new (memory) RawMarkup(kind, static_cast<std::int64_t>(childCount), subtreeCount,
                                  std::move(parsedRange));
}

void RawMarkup::placeChildOffsets() noexcept {
    // The sums stay below the subtree count, which was checked for overflow.
    const RawMarkupPtr* slots = childSlots();
    std::int64_t* offsets = childOffsets();
    std::int64_t next = 1;
    for (std::int64_t i = 0; i < childCount_; ++i) {
        offsets[i] = next;
        next += slots[i]->subtreeCount_;
    }
}

void RawMarkup::freeUnfinished(RawMarkup* node) noexcept {
    node->~RawMarkup();
    ::operator delete(node);
}

RawMarkupPtr RawMarkup::create(RawMarkupData data, std::optional<SourceRange> parsedRange,
                               std::span<const RawMarkupPtr> children) {
    std::int64_t subtreeCount = subtreeCountOf(children);
    RawMarkup* node = allocate(kindOf(data), children.size(), subtreeCount, std::move(parsedRange));
    RawMarkupPtr* slots = node->childSlots();
    for (std::size_t i = 0; i < children.size(); ++i) {
        new (slots + i) RawMarkupPtr(children[i]);
    }
    node->placeChildOffsets();
    node->placePayload(std::move(data));
    return RawMarkupPtr(node);
}

RawMarkupPtr RawMarkup::create(RawMarkupData data, std::optional<SourceRange> parsedRange,
                               std::vector<RawMarkupPtr>&& children) {
    std::int64_t subtreeCount = subtreeCountOf(children);
    RawMarkup* node = allocate(kindOf(data), children.size(), subtreeCount, std::move(parsedRange));
    RawMarkupPtr* slots = node->childSlots();
    for (std::size_t i = 0; i < children.size(); ++i) {
        new (slots + i) RawMarkupPtr(std::move(children[i]));
    }
    children.clear();
    node->placeChildOffsets();
    node->placePayload(std::move(data));
    return RawMarkupPtr(node);
}

void RawMarkup::placePayload(RawMarkupData&& data) noexcept {
    // Moving a payload cannot throw, so the node is complete once this returns.
    std::visit(
        [this]<class P>(P&& payload) {
            if constexpr (!std::is_empty_v<std::decay_t<P>>) {
                new (payloadStorage()) std::decay_t<P>(std::move(payload));
            }
        },
        std::move(data));
}

RawMarkupPtr RawMarkup::copyWithChildren(std::optional<SourceRange> parsedRange,
                                         std::vector<RawMarkupPtr>&& children) const {
    std::int64_t subtreeCount = subtreeCountOf(children);
    RawMarkup* node = allocate(kind_, children.size(), subtreeCount, std::move(parsedRange));
    try {
        withPayloadType(kind_, [&]<class P>(std::type_identity<P>) {
            if constexpr (!std::is_empty_v<P>) {
                new (node->payloadStorage()) P(payload<P>());
            }
        });
    } catch (...) {
        freeUnfinished(node);
        throw;
    }
    RawMarkupPtr* slots = node->childSlots();
    for (std::size_t i = 0; i < children.size(); ++i) {
        new (slots + i) RawMarkupPtr(std::move(children[i]));
    }
    children.clear();
    node->placeChildOffsets();
    return RawMarkupPtr(node);
}

void RawMarkup::destroyPayload() noexcept {
    withPayloadType(kind_, [this]<class P>(std::type_identity<P>) {
        if constexpr (!std::is_empty_v<P>) {
            std::launder(reinterpret_cast<P*>(payloadStorage()))->~P();
        }
    });
}

void RawMarkup::destroy(const RawMarkup* dead) noexcept {
    // A chain of dead nodes linked through their own storage: no allocation, no recursion.
    RawMarkup* pending = const_cast<RawMarkup*>(dead);
    pending->nextDead_ = nullptr;
    while (pending != nullptr) {
        RawMarkup* node = pending;
        pending = node->nextDead_;
        RawMarkupPtr* slots = node->childSlots();
        for (std::int64_t i = 0; i < node->childCount_; ++i) {
            const RawMarkup* child = slots[i].detach();
            if (child->dropReference()) {
                auto* deadChild = const_cast<RawMarkup*>(child);
                deadChild->nextDead_ = pending;
                pending = deadChild;
            }
        }
        node->destroyPayload();
        node->~RawMarkup();
        ::operator delete(node);
    }
}

void RawMarkup::stopOnWrongPayload(MarkupKind expected) const {
    stopOnMisuse(std::string(elementTypeName(expected)) + " markup wrapped unexpected " +
                 describeData());
}

RawMarkupData RawMarkup::data() const {
    return withPayloadType(kind_, [this]<class P>(std::type_identity<P>) -> RawMarkupData {
        return RawMarkupData(std::in_place_type<P>, payload<P>());
    });
}

std::optional<SourceRange> RawMarkup::parsedRange() const {
    if (!hasRange_)
        return std::nullopt;
    return storedRange();
}

bool RawMarkup::hasSameData(const RawMarkup& other) const {
    if (kind_ != other.kind_)
        return false;
    return withPayloadType(kind_, [&]<class P>(std::type_identity<P>) -> bool {
        if constexpr (std::is_empty_v<P>) {
            return true;
        } else {
            return payload<P>() == other.payload<P>();
        }
    });
}

bool RawMarkup::hasSameStructure(const RawMarkup& other) const {
    std::vector<std::pair<const RawMarkup*, const RawMarkup*>> pending;
    const RawMarkup* a = this;
    const RawMarkup* b = &other;
    for (;;) {
        if (a != b) {
            if (a->childCount_ != b->childCount_ || !a->hasSameData(*b))
                return false;
            // Pushed last to first so pairs are compared in document order.
            for (std::int64_t i = a->childCount_ - 1; i >= 0; --i) {
                pending.emplace_back(a->childSlots()[i].get(), b->childSlots()[i].get());
            }
        }
        if (pending.empty())
            return true;
        std::tie(a, b) = pending.back();
        pending.pop_back();
    }
}

RawMarkupPtr RawMarkup::substitutingChild(RawMarkupPtr newChild, std::int64_t index,
                                          bool preserveRange) const {
    require(index >= 0 && index < childCount_, "child index out of range");
    std::vector<RawMarkupPtr> children(childSlots(), childSlots() + childCount_);
    children[static_cast<std::size_t>(index)] = std::move(newChild);
    return copyWithChildren(preserveRange ? parsedRange() : std::nullopt, std::move(children));
}

RawMarkup::Error::Error(RawMarkupPtr from, std::string_view targetTypeName)
    : from_(std::move(from)), targetTypeName_(targetTypeName) {
    message_ = "Can't wrap a " + from_->describeData() + " in a " + targetTypeName_;
}

RawMarkupPtr FreshNodeRange::marked(FreshNodeToken, RawMarkupPtr made) noexcept {
    const_cast<RawMarkup&>(*made).fresh_ = true;
    return made;
}

void FreshNodeRange::rewrite(const RawMarkup& node, std::optional<SourceRange> parsedRange) {
    require(node.fresh_, "only a node fresh from the parser may have its range rewritten");
    auto& fresh = const_cast<RawMarkup&>(node);
    if (fresh.hasRange_) {
        fresh.storedRange().~SourceRange();
        fresh.hasRange_ = false;
    }
    if (parsedRange) {
        new (fresh.rangeStorage_) SourceRange(std::move(*parsedRange));
        fresh.hasRange_ = true;
    }
    fresh.fresh_ = false;
}

}  // namespace pindrake::markdown
