#include "converters/HtmlText.h"

#include <vector>

#include "converters/GumboArena.h"
#include "foundation/Unicode.h"

namespace pindrake::converters {
namespace {

// Larger documents are not parsed: their plain text, if any, is what the user gets.
constexpr std::size_t maximumHtmlBytes = std::size_t{8} << 20;

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

std::optional<std::string> textFromHtml(std::string_view html, const CancellationToken& stop) {
    if (html.size() > maximumHtmlBytes)
        return std::nullopt;
    GumboArena arena;
    const GumboOutput* output = arena.parse(html, stop);
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
    std::string text = collector.finish();
    if (text.empty())
        return std::nullopt;
    return text;
}

}  // namespace pindrake::converters
