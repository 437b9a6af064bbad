#include "converters/HtmlText.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "converters/GumboArena.h"
#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::converters {
namespace {

// The parser's memory grows with the square of the nesting depth (thousands of levels take
// gigabytes), so deeper documents are not handed to it at all.
constexpr std::size_t maximumNesting = 1500;

// Larger documents are not parsed: their plain text, if any, is what the user gets.
constexpr std::size_t maximumHtmlBytes = std::size_t{8} << 20;

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Start tags that end an open paragraph, as the parser does, unless a scope boundary comes
// first.
bool endsParagraph(std::string_view name) {
    return isOneOf(name, {"address", "article", "aside",   "blockquote", "center",   "details",
                          "dialog",  "dir",     "div",     "dl",         "fieldset", "figcaption",
                          "figure",  "footer",  "form",    "h1",         "h2",       "h3",
                          "h4",      "h5",      "h6",      "header",     "hgroup",   "hr",
                          "listing", "main",    "menu",    "nav",        "ol",       "p",
                          "pre",     "section", "summary", "table",      "ul",       "xmp"});
}

bool isScopeBoundary(std::string_view name) {
    return isOneOf(name, {"applet", "button", "caption", "html", "marquee", "object", "table", "td",
                          "template", "th"});
}

// The elements open at a point of the document, with a count per name, so that an end tag of an
// element that is not open costs nothing to pass over.
class OpenElements {
  public:
    std::size_t depth() const { return names_.size(); }
    const std::string* top() const { return names_.empty() ? nullptr : &names_.back(); }

    void open(std::string name) {
        ++counts_[name];
        names_.push_back(std::move(name));
    }
    // Closes the innermost open element of that name and all inside it; looks no further than
    // a scope boundary when asked to.
    void closeBackTo(const std::string& name, bool withinScope) {
        if (!counts_.contains(name))
            return;
        for (auto at = names_.size(); at-- > 0;) {
            if (names_[at] == name) {
                while (names_.size() > at)
                    closeInnermost();
                return;
            }
            if (withinScope && isScopeBoundary(names_[at]))
                return;
        }
    }

  private:
    // A name none is open of has no count, so that the counts never outnumber the open elements.
    void closeInnermost() {
        const auto count = counts_.find(names_.back());
        if (--count->second == 0)
            counts_.erase(count);
        names_.pop_back();
    }

    std::vector<std::string> names_;
    std::unordered_map<std::string, std::size_t> counts_;
};

// An upper bound, in practice, on how deep the parser's tree gets: start tags open a level, end
// tags close back to their own name, elements without content or with an implied end do not
// stack on a sibling of their own name, and block start tags end an open paragraph.
std::size_t estimatedNesting(std::string_view html) {
    OpenElements open;
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
            open.closeBackTo(name, false);
            continue;
        }
        if (endsParagraph(name))
            open.closeBackTo("p", true);
        const bool selfClosing = tagEnd != std::string_view::npos && html[tagEnd - 1] == '/';
        if (selfClosing ||
            isOneOf(name, {"area", "base", "br", "col", "embed", "hr", "img", "input", "link",
                           "meta", "param", "source", "track", "wbr"})) {
            continue;
        }
        if (open.top() && *open.top() == name &&
            isOneOf(name, {"p", "li", "dt", "dd", "option", "tr", "td", "th"})) {
            continue;
        }
        open.open(std::move(name));
        deepest = std::max(deepest, open.depth());
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

}  // namespace

std::optional<std::string> textFromHtml(std::string_view html) {
    if (html.size() > maximumHtmlBytes || estimatedNesting(html) > maximumNesting)
        return std::nullopt;
    GumboArena arena(allocationBudget(html.size()));
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
