#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "markdown/tree/MarkupKind.h"
#include "markdown/tree/Precondition.h"
#include "markdown/tree/RawMarkupData.h"
#include "markdown/tree/SourceRange.h"

namespace pindrake::markdown {

class RawMarkup;
class MarkupData;

// A counted reference to a raw node: one pointer wide; copying bumps the node's count.
class RawMarkupPtr {
  public:
    RawMarkupPtr() noexcept = default;
    RawMarkupPtr(std::nullptr_t) noexcept {}
    RawMarkupPtr(const RawMarkupPtr& other) noexcept;
    RawMarkupPtr(RawMarkupPtr&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
    RawMarkupPtr& operator=(RawMarkupPtr other) noexcept {
        std::swap(node_, other.node_);
        return *this;
    }
    ~RawMarkupPtr();

    // A new reference to a node that something else keeps alive.
    static RawMarkupPtr retaining(const RawMarkup* node) noexcept;

    const RawMarkup* get() const noexcept { return node_; }
    const RawMarkup& operator*() const noexcept { return *node_; }
    const RawMarkup* operator->() const noexcept { return node_; }
    explicit operator bool() const noexcept { return node_ != nullptr; }
    friend bool operator==(const RawMarkupPtr& a, const RawMarkupPtr& b) noexcept = default;

  private:
    friend class RawMarkup;
    friend class MarkupData;
    explicit RawMarkupPtr(const RawMarkup* adopted) noexcept : node_(adopted) {}
    const RawMarkup* detach() noexcept { return std::exchange(node_, nullptr); }

    const RawMarkup* node_ = nullptr;
};

// An immutable, shared node of a Markdown tree: its kind with the kind's data, its children,
// the size of its subtree and the source range it was parsed from. It knows nothing of its
// parent, so one node can sit in many trees. Header, child references, child offsets and
// payload share one allocation; releasing a node never recurses, however deep its subtree.
class RawMarkup {
  public:
    class Error;

    // The one way to make a node. Retains each child; the subtree count is worked out here.
    static RawMarkupPtr create(RawMarkupData data, std::optional<SourceRange> parsedRange,
                               std::span<const RawMarkupPtr> children = {});
    // The same, taking over the references held in the vector.
    static RawMarkupPtr create(RawMarkupData data, std::optional<SourceRange> parsedRange,
                               std::vector<RawMarkupPtr>&& children);
    // A node with this node's data and the given range and children.
    RawMarkupPtr copyWithChildren(std::optional<SourceRange> parsedRange,
                                  std::vector<RawMarkupPtr>&& children) const;

    MarkupKind kind() const noexcept { return kind_; }
    // A copy of the kind and its data.
    RawMarkupData data() const;
    // The payload in place, for reading without a copy. Stops when the kind differs.
    template <class Payload>
    const Payload& payload() const;

    std::int64_t childCount() const noexcept { return childCount_; }
    std::int64_t subtreeCount() const noexcept { return subtreeCount_; }
    std::span<const RawMarkupPtr> children() const noexcept {
        return {childSlots(), static_cast<std::size_t>(childCount_)};
    }
    // Stops when the index lies outside 0 ..< childCount.
    const RawMarkup& child(std::int64_t index) const;
    // The pre-order number of the child at that index counted from this node (the first child
    // is 1), kept beside the child so reaching any child takes constant time. Stops like child().
    std::int64_t childOffset(std::int64_t index) const;

    bool hasParsedRange() const noexcept { return hasRange_; }
    std::optional<SourceRange> parsedRange() const;

    // Same kind and equal data; ranges play no part.
    bool hasSameData(const RawMarkup& other) const;
    // Same data and, pairwise, children of the same structure. Shared subtrees count as equal
    // without a descent; ranges and identities play no part.
    bool hasSameStructure(const RawMarkup& other) const;
    // A copy of this node with one child replaced. With preserveRange the copy keeps this
    // node's range; without, it has none, since an edit below no longer matches the source.
    RawMarkupPtr substitutingChild(RawMarkupPtr newChild, std::int64_t index,
                                   bool preserveRange) const;

    // The data's text form, as used in messages.
    std::string describeData() const { return describe(data()); }

    RawMarkup(const RawMarkup&) = delete;
    RawMarkup& operator=(const RawMarkup&) = delete;

  private:
    friend class RawMarkupPtr;
    friend class FreshNodeRange;
    friend class MarkupData;

    RawMarkup(MarkupKind kind, std::int64_t childCount, std::int64_t subtreeCount,
              std::optional<SourceRange>&& parsedRange) noexcept;
    ~RawMarkup();

    // Allocates a node whose child slots and payload the caller fills in.
    static RawMarkup* allocate(MarkupKind kind, std::size_t childCount, std::int64_t subtreeCount,
                               std::optional<SourceRange>&& parsedRange);
    static std::int64_t subtreeCountOf(std::span<const RawMarkupPtr> children);
    // Fills in the child offsets from the children already in their slots.
    void placeChildOffsets() noexcept;
    static void freeUnfinished(RawMarkup* node) noexcept;
    void placePayload(RawMarkupData&& data) noexcept;
    static void destroy(const RawMarkup* dead) noexcept;
    [[noreturn]] void stopOnWrongPayload(MarkupKind expected) const;

    void retain() const noexcept;
    void release() const noexcept;
    bool dropReference() const noexcept;
    void destroyPayload() noexcept;

    RawMarkupPtr* childSlots() const noexcept {
        return reinterpret_cast<RawMarkupPtr*>(const_cast<RawMarkup*>(this) + 1);
    }
    std::int64_t* childOffsets() const noexcept {
        return reinterpret_cast<std::int64_t*>(childSlots() + childCount_);
    }
    void* payloadStorage() const noexcept { return childOffsets() + childCount_; }
    const SourceRange& storedRange() const noexcept {
        return *std::launder(reinterpret_cast<const SourceRange*>(rangeStorage_));
    }

    mutable std::atomic<std::uint32_t> references_{1};
    MarkupKind kind_;
    bool hasRange_ = false;
    // Only the parser marks a node fresh, and only until it settles the node's range.
    bool fresh_ = false;
    std::int64_t childCount_;
    union {
        std::int64_t subtreeCount_;
        // Reuses the count's room once the node is dead, to chain it for release.
        RawMarkup* nextDead_;
    };
    alignas(SourceRange) std::byte rangeStorage_[sizeof(SourceRange)];
};

// Wrapping a node as an element of another kind.
class RawMarkup::Error : public std::exception {
  public:
    Error(RawMarkupPtr from, std::string_view targetTypeName);

    const RawMarkupPtr& from() const noexcept { return from_; }
    std::string_view targetTypeName() const noexcept { return targetTypeName_; }
    // "Can't wrap a paragraph in a Heading"
    const std::string& errorDescription() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    RawMarkupPtr from_;
    std::string targetTypeName_;
    std::string message_;
};

// Held only by the parser's code that turns a cmark pass into nodes it has not placed in a
// tree yet: nothing else can mark nodes fresh.
class FreshNodeToken {
  private:
    FreshNodeToken() = default;
    friend struct FreshCmarkRun;
};

// The parser's one way to touch a node after creation: it corrects the range of a node it
// has just built while shifting a parsed run into document coordinates, before the node is
// placed in a finished document. A node built any other way is never fresh, so no finished
// tree can be changed through here.
class FreshNodeRange {
  public:
    // The node its caller has just made, and holds the only reference to, marked fresh.
    static RawMarkupPtr marked(FreshNodeToken, RawMarkupPtr made) noexcept;
    // Settles the range of a fresh node, which then is no longer fresh. Stops on any other node.
    static void rewrite(const RawMarkup& node, std::optional<SourceRange> parsedRange);
};

// Every new tree takes its identifier from here: one atomic step on a process-wide counter.
// The first call returns 1; no value is handed out twice.
extern "C" std::uint64_t cmarkup_increment_and_get_unique_id() noexcept;

// ---- inline parts ---------------------------------------------------------------------------

inline void RawMarkup::retain() const noexcept {
    std::uint32_t before = references_.fetch_add(1, std::memory_order_relaxed);
    if (before == UINT32_MAX) [[unlikely]] {
        stopOnMisuse("a markdown node is referenced too often");
    }
}

inline bool RawMarkup::dropReference() const noexcept {
    return references_.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

inline void RawMarkup::release() const noexcept {
    if (dropReference())
        destroy(this);
}

inline RawMarkupPtr::RawMarkupPtr(const RawMarkupPtr& other) noexcept : node_(other.node_) {
    if (node_ != nullptr)
        node_->retain();
}

inline RawMarkupPtr::~RawMarkupPtr() {
    if (node_ != nullptr)
        node_->release();
}

inline RawMarkupPtr RawMarkupPtr::retaining(const RawMarkup* node) noexcept {
    if (node != nullptr)
        node->retain();
    return RawMarkupPtr(node);
}

template <class Payload>
const Payload& RawMarkup::payload() const {
    if (kind_ != Payload::kind) [[unlikely]] {
        stopOnWrongPayload(Payload::kind);
    }
    if constexpr (std::is_empty_v<Payload>) {
        static constexpr Payload none{};
        return none;
    } else {
        return *std::launder(reinterpret_cast<const Payload*>(payloadStorage()));
    }
}

inline const RawMarkup& RawMarkup::child(std::int64_t index) const {
    require(index >= 0 && index < childCount_, "child index out of range");
    return *childSlots()[index];
}

inline std::int64_t RawMarkup::childOffset(std::int64_t index) const {
    require(index >= 0 && index < childCount_, "child index out of range");
    return childOffsets()[index];
}

}  // namespace pindrake::markdown
