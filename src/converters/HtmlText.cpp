#include "converters/HtmlText.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdlib>
#include <vector>

#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::converters {
namespace {

// The parser's memory grows with the square of the nesting depth (thousands of levels take
// gigabytes), so deeper documents are not handed to it at all.
constexpr std::size_t maximumNesting = 1500;

// Larger documents are not parsed: their plain text, if any, is what the user gets.
constexpr std::size_t maximumHtmlBytes = std::size_t{8} << 20;

// What the parser may allocate in all for one document. Ordinary pages take 20 to 40 bytes a
// byte of HTML, runs of line breaks about 90. Formatting elements left open are cloned into every
// later paragraph, so the parser's work can grow with the square of the input; it stops when the
// budget runs out.
std::size_t allocationBudget(std::size_t htmlBytes) {
    return (std::size_t{32} << 20) + htmlBytes * 128;
}

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// An upper bound, in practice, on how deep the parser's tree gets: start tags open a level, end
// tags close back to their own name, elements without content or with an implied end do not
// stack on a sibling of their own name.
std::size_t estimatedNesting(std::string_view html) {
    std::vector<std::string> open;
    std::size_t deepest = 0;
    for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at)) {
        ++at;
        const bool closing = at < html.size() && html[at] == '/';
        if (closing)
            ++at;
        std::string name;
        while (at < html.size() &&
               (ascii::isAlpha(html[at]) || (!name.empty() && ascii::isDigit(html[at])))) {
            name += ascii::toLower(html[at++]);
        }
        if (name.empty())
            continue;
        const std::size_t tagEnd = html.find('>', at);
        if (closing) {
            const auto match = std::find(open.rbegin(), open.rend(), name);
            if (match != open.rend())
                open.erase(std::next(match).base(), open.end());
            continue;
        }
        const bool selfClosing = tagEnd != std::string_view::npos && html[tagEnd - 1] == '/';
        if (selfClosing ||
            isOneOf(name, {"area", "base", "br", "col", "embed", "hr", "img", "input", "link",
                           "meta", "param", "source", "track", "wbr"})) {
            continue;
        }
        if (!open.empty() && open.back() == name &&
            isOneOf(name, {"p", "li", "dt", "dd", "option", "tr", "td", "th"})) {
            continue;
        }
        open.push_back(std::move(name));
        deepest = std::max(deepest, open.size());
        if (deepest > maximumNesting)
            break;  // the answer is known; scanning on would cost time on hostile input
    }
    return deepest;
}

bool isBlock(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_ADDRESS:
        case GUMBO_TAG_ARTICLE:
        case GUMBO_TAG_ASIDE:
        case GUMBO_TAG_BLOCKQUOTE:
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DETAILS:
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_DL:
        case GUMBO_TAG_DT:
        case GUMBO_TAG_FIELDSET:
        case GUMBO_TAG_FIGCAPTION:
        case GUMBO_TAG_FIGURE:
        case GUMBO_TAG_FOOTER:
        case GUMBO_TAG_FORM:
        case GUMBO_TAG_H1:
        case GUMBO_TAG_H2:
        case GUMBO_TAG_H3:
        case GUMBO_TAG_H4:
        case GUMBO_TAG_H5:
        case GUMBO_TAG_H6:
        case GUMBO_TAG_HEADER:
        case GUMBO_TAG_HGROUP:
        case GUMBO_TAG_HR:
        case GUMBO_TAG_LI:
        case GUMBO_TAG_MAIN:
        case GUMBO_TAG_NAV:
        case GUMBO_TAG_OL:
        case GUMBO_TAG_P:
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_SECTION:
        case GUMBO_TAG_SUMMARY:
        case GUMBO_TAG_TABLE:
        case GUMBO_TAG_TR:
        case GUMBO_TAG_UL:
            return true;
        default:
            return false;
    }
}

bool isHidden(GumboTag tag) {
    return tag == GUMBO_TAG_HEAD || tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_STYLE ||
           tag == GUMBO_TAG_TEMPLATE || tag == GUMBO_TAG_NOSCRIPT || tag == GUMBO_TAG_TITLE;
}

class TextCollector {
  public:
    void text(std::string_view content) {
        if (preformatted_ > 0) {
            out_ += content;
            pendingSpace_ = false;
            return;
        }
        for (char c : content) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
                pendingSpace_ = true;
                continue;
            }
            if (pendingSpace_ && !out_.empty() && out_.back() != '\n' && out_.back() != '\t')
                out_ += ' ';
            pendingSpace_ = false;
            out_ += c;
        }
    }

    void enter(GumboTag tag) {
        if (isBlock(tag))
            endLine();
        if (tag == GUMBO_TAG_LI)
            out_ += "\u2022 ";
        if ((tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) && !out_.empty() && out_.back() != '\n')
            out_ += '\t';
        if (tag == GUMBO_TAG_PRE)
            ++preformatted_;
    }

    void leave(GumboTag tag) {
        if (tag == GUMBO_TAG_PRE)
            --preformatted_;
        if (tag == GUMBO_TAG_BR) {
            out_ += '\n';
            pendingSpace_ = false;
        } else if (isBlock(tag)) {
            endLine();
        }
    }

    std::string finish() { return unicode::trimmed(out_); }

  private:
    void endLine() {
        if (!out_.empty() && out_.back() != '\n')
            out_ += '\n';
        pendingSpace_ = false;
    }

    std::string out_;
    int preformatted_ = 0;
    bool pendingSpace_ = false;
};

// Gives the parser its memory and takes it all back at the end. When the budget runs out it
// jumps back out of the parser, which holds no resource but this memory (it is plain C), and
// the half-built tree is dropped with the rest.
class ParserArena {
  public:
    explicit ParserArena(std::size_t budget) : bytesLeft_(budget) {}
    ~ParserArena() {
        while (live_)
            release(live_ + 1);
    }
    ParserArena(const ParserArena&) = delete;
    ParserArena& operator=(const ParserArena&) = delete;

    // The parsed document, or null when the parser ran out of budget or memory. Owned by the
    // arena.
    GumboOutput* parse(std::string_view html) {
        GumboOptions options = kGumboDefaultOptions;
        options.allocator = &ParserArena::allocate;
        options.deallocator = &ParserArena::deallocate;
        options.userdata = this;
        options.max_errors = 0;  // the errors are not read; recording them would take budget
        return parseOrJumpBack(options, html);
    }

  private:
    // Each block is preceded by its links in the list of live blocks, so that what the parser
    // still held when it stopped can be freed.
    struct alignas(std::max_align_t) Header {
        Header* previous;
        Header* next;
    };

    // No object with a destructor may live in this frame or in any frame the jump leaves.
    GumboOutput* parseOrJumpBack(const GumboOptions& options, std::string_view html) {
        if (setjmp(exhausted_) != 0)
            return nullptr;
        return gumbo_parse_with_options(&options, html.data(), html.size());
    }

    static void* allocate(void* userdata, std::size_t size) {
        auto* arena = static_cast<ParserArena*>(userdata);
        const std::size_t charged = sizeof(Header) + size;
        if (charged > arena->bytesLeft_)
            std::longjmp(arena->exhausted_, 1);
        auto* header = static_cast<Header*>(std::malloc(charged));
        if (!header)
            std::longjmp(arena->exhausted_, 1);
        arena->bytesLeft_ -= charged;
        *header = {nullptr, arena->live_};
        if (arena->live_)
            arena->live_->previous = header;
        arena->live_ = header;
        return header + 1;
    }

    static void deallocate(void* userdata, void* block) {
        if (block)
            static_cast<ParserArena*>(userdata)->release(block);
    }

    // Freed blocks are not given back to the budget: it bounds the parser's work as well as
    // its memory.
    void release(void* block) {
        Header* header = static_cast<Header*>(block) - 1;
        (header->previous ? header->previous->next : live_) = header->next;
        if (header->next)
            header->next->previous = header->previous;
        std::free(header);
    }

    std::size_t bytesLeft_;
    Header* live_ = nullptr;
    std::jmp_buf exhausted_;
};

}  // namespace

std::optional<std::string> textFromHtml(std::string_view html) {
    if (html.size() > maximumHtmlBytes || estimatedNesting(html) > maximumNesting)
        return std::nullopt;
    ParserArena arena(allocationBudget(html.size()));
    const GumboOutput* output = arena.parse(html);
    if (!output)
        return std::nullopt;

    TextCollector collector;
    struct Visit {
        const GumboNode* node;
        unsigned next;  // the next child to visit
    };
    std::vector<Visit> path{{output->root, 0}};
    collector.enter(output->root->v.element.tag);
    while (!path.empty()) {
        Visit& visit = path.back();
        const GumboElement& element = visit.node->v.element;
        if (visit.next == element.children.length) {
            collector.leave(element.tag);
            path.pop_back();
            continue;
        }
        const auto* child = static_cast<const GumboNode*>(element.children.data[visit.next++]);
        if (child->type == GUMBO_NODE_ELEMENT) {
            if (isHidden(child->v.element.tag))
                continue;
            collector.enter(child->v.element.tag);
            path.push_back({child, 0});
        } else if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
                   child->type == GUMBO_NODE_CDATA) {
            collector.text(child->v.text.text);
        }
    }
    return collector.finish();
}

}  // namespace pindrake::converters
