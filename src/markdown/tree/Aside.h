#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "markdown/tree/BlockMarkup.h"
#include "markdown/tree/BlockQuote.h"

namespace pindrake::markdown {

// A block quote read as a callout: "> Warning: ..." becomes an aside of kind Warning whose
// content is the quote's blocks with the tag removed. Computed on demand; the quote's tree is
// left as it was.
class Aside {
  public:
    // Any text is a kind; 24 are predefined.
    class Kind {
      public:
        explicit Kind(std::string rawValue) : rawValue_(std::move(rawValue)) {}

        const std::string& rawValue() const noexcept { return rawValue_; }
        // "See Also" for SeeAlso and the like; otherwise the raw value.
        std::string displayName() const;

        static Kind note() { return Kind("Note"); }
        static Kind tip() { return Kind("Tip"); }
        static Kind important() { return Kind("Important"); }
        static Kind experiment() { return Kind("Experiment"); }
        static Kind warning() { return Kind("Warning"); }
        static Kind attention() { return Kind("Attention"); }
        static Kind author() { return Kind("Author"); }
        static Kind authors() { return Kind("Authors"); }
        static Kind bug() { return Kind("Bug"); }
        static Kind complexity() { return Kind("Complexity"); }
        static Kind copyright() { return Kind("Copyright"); }
        static Kind date() { return Kind("Date"); }
        static Kind invariant() { return Kind("Invariant"); }
        static Kind mutatingVariant() { return Kind("MutatingVariant"); }
        static Kind nonMutatingVariant() { return Kind("NonMutatingVariant"); }
        static Kind postcondition() { return Kind("Postcondition"); }
        static Kind precondition() { return Kind("Precondition"); }
        static Kind remark() { return Kind("Remark"); }
        // "requires" is a keyword in C++.
        static Kind requires_() { return Kind("Requires"); }
        static Kind since() { return Kind("Since"); }
        static Kind todo() { return Kind("ToDo"); }
        static Kind version() { return Kind("Version"); }
        static Kind throws() { return Kind("Throws"); }
        static Kind seeAlso() { return Kind("SeeAlso"); }
        // The 24 predefined kinds, in order.
        static const std::vector<Kind>& allCases();

        friend bool operator==(const Kind&, const Kind&) = default;

      private:
        std::string rawValue_;
    };

    enum class TagRequirement { requireSingleWordTag, requireAnyLengthTag, tagNotRequired };

    // Always an aside: kind Note with the quote's blocks unchanged when no tag is found.
    explicit Aside(const BlockQuote& blockQuote);
    // None when the requirement asks for a tag and none acceptable is found.
    static std::optional<Aside> from(const BlockQuote& blockQuote, TagRequirement requirement);

    Kind kind;
    std::vector<BlockMarkup> content;

  private:
    Aside(Kind kind, std::vector<BlockMarkup> content)
        : kind(std::move(kind)), content(std::move(content)) {}
};

}  // namespace pindrake::markdown

// Kinds are hashed by their raw value, as they are compared.
template <>
struct std::hash<pindrake::markdown::Aside::Kind> {
    std::size_t operator()(const pindrake::markdown::Aside::Kind& kind) const noexcept {
        return std::hash<std::string>{}(kind.rawValue());
    }
};
