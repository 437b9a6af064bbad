#include "converters/HtmlText.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::converters {
namespace {

// The parser's memory grows with the square of the nesting depth (thousands of levels take
// gigabytes), so deeper documents are not handed to it at all.
constexpr std::size_t maximumNesting = 1500;

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

}  // namespace

std::optional<std::string> textFromHtml(std::string_view html) {
    if (estimatedNesting(html) > maximumNesting)
        return std::nullopt;
    const std::unique_ptr<GumboOutput, void (*)(GumboOutput*)> output(
        gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size()),
        [](GumboOutput* parsed) { gumbo_destroy_output(&kGumboDefaultOptions, parsed); });
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
