#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>

#include "markdown/tree/RawMarkup.h"

namespace pindrake::markdown {

// Identifies one node of one tree: the tree's identifier and the node's pre-order number.
struct MarkupIdentifier {
    std::uint64_t rootId = 0;
    std::int64_t childId = 0;
    friend bool operator==(const MarkupIdentifier&, const MarkupIdentifier&) = default;
};

struct MarkupMetadata {
    MarkupIdentifier id;
    std::int64_t indexInParent = 0;
    friend bool operator==(const MarkupMetadata&, const MarkupMetadata&) = default;
};

namespace detail {
class ParentLink;
class MarkupChildLinker;
}  // namespace detail

// A raw node placed at one position of one tree, with the way up to its root.
//
// The parent is held through a shared link, so the children handed out by one element share
// one allocation. A node below the root is kept alive by its parent, so only a root holds its
// raw node directly. After an edit the new ancestors are built when first asked for: the edit
// itself allocates one link, and nothing observable depends on when the rest is built. Once
// built, they no longer refer to the tree before the edit.
class MarkupData {
  public:
    // The node as the root of a new tree, with a fresh tree identifier.
    static MarkupData makeRoot(RawMarkupPtr node);
    // The same under an identifier drawn earlier from the counter, by a parser that numbers a
    // tree before converting it.
    static MarkupData makeRoot(RawMarkupPtr node, std::uint64_t rootId);

    MarkupData(const MarkupData& other) noexcept;
    MarkupData(MarkupData&& other) noexcept;
    MarkupData& operator=(MarkupData other) noexcept;
    ~MarkupData();

    const RawMarkup& raw() const noexcept { return *raw_; }
    RawMarkupPtr rawPtr() const noexcept { return RawMarkupPtr::retaining(raw_); }
    const MarkupMetadata& metadata() const noexcept { return metadata_; }
    bool hasParent() const noexcept { return parent_ != nullptr; }
    std::optional<MarkupData> parent() const;

    // Places a new node where this one stands, in a new tree; ancestors are copied on demand.
    // With preserveRange the direct parent keeps its own range; every other ancestor carries
    // none, since it no longer matches the source exactly.
    MarkupData replacingSelf(RawMarkupPtr newNode, bool preserveRange) const;

    // The same node as the root of a tree of its own (unchanged when it is a root already).
    MarkupData detachedFromParent() const;

  private:
    friend class detail::ParentLink;
    friend class detail::MarkupChildLinker;

    MarkupData(const RawMarkup* raw, MarkupMetadata metadata,
               const detail::ParentLink* parent) noexcept
        : raw_(raw), metadata_(metadata), parent_(parent) {}
    // The new node in this one's place, in the tree identified by rootId.
    MarkupData placedAnew(RawMarkupPtr newNode, std::uint64_t rootId, bool preserveRange) const;
    // Empties this value without releasing anything and returns the link it held, for the
    // link release chain; only used on data inside a dead link.
    const detail::ParentLink* takeParentLink() noexcept;

    const RawMarkup* raw_ = nullptr;  // owned when parent_ is null, else kept by the parent
    MarkupMetadata metadata_;
    const detail::ParentLink* parent_ = nullptr;
};

namespace detail {

// The shared holder of a parent element's data (see MarkupData).
class ParentLink {
  public:
    // A link holding a copy of the given element data, for handing out its children.
    static const ParentLink* holding(const MarkupData& parent);

    void retain() const noexcept {
        std::uint32_t before = references_.fetch_add(1, std::memory_order_relaxed);
        if (before == UINT32_MAX) [[unlikely]] {
            stopOnMisuse("a markdown parent link is referenced too often");
        }
    }
    static void release(const ParentLink* link) noexcept {
        if (link->dropReference())
            destroy(link);
    }
    // The parent's data; builds it first when it stems from an edit.
    const MarkupData& parentData() const;

    // The parent, in a new tree, of a node that an edit placed at `index` below `base`.
    static const ParentLink* pendingParent(const ParentLink* base, RawMarkupPtr newChild,
                                           std::int64_t index, std::uint64_t rootId,
                                           bool preserveRange);
    // The node that such a pending parent holds for its edited child.
    static const RawMarkup* pendingChild(const ParentLink* pending) noexcept;

    enum class Type : std::uint8_t { holding, pending };
    Type type() const noexcept { return type_; }

  protected:
    explicit ParentLink(Type type) noexcept : type_(type) {}
    static MarkupData placeAnew(const MarkupData& old, RawMarkupPtr newNode, std::uint64_t rootId) {
        return old.placedAnew(std::move(newNode), rootId, false);
    }

    bool dropReference() const noexcept {
        return references_.fetch_sub(1, std::memory_order_acq_rel) == 1;
    }
    static void destroy(const ParentLink* dead) noexcept;

    mutable std::atomic<std::uint32_t> references_{1};
    const Type type_;
    mutable const ParentLink* nextDead_ = nullptr;

    friend class pindrake::markdown::MarkupData;
};

// One counted reference to a parent link.
class LinkRef {
  public:
    LinkRef() noexcept = default;
    static LinkRef adopting(const ParentLink* link) noexcept { return LinkRef(link); }
    static LinkRef retaining(const ParentLink* link) noexcept {
        link->retain();
        return LinkRef(link);
    }
    LinkRef(const LinkRef& other) noexcept : link_(other.link_) {
        if (link_ != nullptr)
            link_->retain();
    }
    LinkRef(LinkRef&& other) noexcept : link_(std::exchange(other.link_, nullptr)) {}
    LinkRef& operator=(LinkRef other) noexcept {
        std::swap(link_, other.link_);
        return *this;
    }
    ~LinkRef() {
        if (link_ != nullptr)
            ParentLink::release(link_);
    }
    const ParentLink* get() const noexcept { return link_; }

  private:
    explicit LinkRef(const ParentLink* adopted) noexcept : link_(adopted) {}
    const ParentLink* link_ = nullptr;
};

// The link an element hands its children out through, made on first use and kept for later
// uses of the same element value, so reaching children one by one allocates once. A copy starts
// without one (it would hold the same data); an edit must reset it. Threads that share one
// element value may race to make it: one link wins, the others are released.
class ChildLinkCache {
  public:
    ChildLinkCache() noexcept = default;
    ChildLinkCache(const ChildLinkCache&) noexcept {}
    ChildLinkCache(ChildLinkCache&& other) noexcept : link_(other.take()) {}
    ChildLinkCache& operator=(const ChildLinkCache&) noexcept {
        reset();
        return *this;
    }
    ChildLinkCache& operator=(ChildLinkCache&& other) noexcept {
        reset();
        link_.store(other.take(), std::memory_order_relaxed);
        return *this;
    }
    ~ChildLinkCache() { reset(); }

    // The link holding the given data (the owning element's), not retained for the caller.
    const ParentLink* linkFor(const MarkupData& data) const;
    // A reference to the cached link, or to a new one left uncached: a sequence of children
    // needs one link whether or not it is kept, and keeping it costs an atomic exchange.
    LinkRef sequenceLinkFor(const MarkupData& data) const;
    // Only linkFor may run concurrently with other uses, so the rest needs no atomic exchange.
    void reset() noexcept {
        if (const ParentLink* link = take())
            ParentLink::release(link);
    }

  private:
    const ParentLink* take() noexcept {
        const ParentLink* link = link_.load(std::memory_order_acquire);
        link_.store(nullptr, std::memory_order_relaxed);
        return link;
    }

    mutable std::atomic<const ParentLink*> link_{nullptr};
};

// Builds the data of children that share one parent link.
class MarkupChildLinker {
  public:
    static MarkupData childData(const ParentLink* link, const RawMarkup* child,
                                MarkupMetadata metadata) noexcept {
        link->retain();
        return MarkupData(child, metadata, link);
    }
};

}  // namespace detail

inline MarkupData::MarkupData(const MarkupData& other) noexcept
    : raw_(other.raw_), metadata_(other.metadata_), parent_(other.parent_) {
    if (parent_ != nullptr) {
        parent_->retain();
    } else if (raw_ != nullptr) {
        raw_->retain();
    }
}

inline MarkupData::MarkupData(MarkupData&& other) noexcept
    : raw_(std::exchange(other.raw_, nullptr)),
      metadata_(other.metadata_),
      parent_(std::exchange(other.parent_, nullptr)) {}

inline MarkupData& MarkupData::operator=(MarkupData other) noexcept {
    std::swap(raw_, other.raw_);
    std::swap(metadata_, other.metadata_);
    std::swap(parent_, other.parent_);
    return *this;
}

inline MarkupData::~MarkupData() {
    if (parent_ != nullptr) {
        detail::ParentLink::release(parent_);
    } else if (raw_ != nullptr) {
        raw_->release();
    }
}

}  // namespace pindrake::markdown
