#include "converters/ParserLoad.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/Ascii.h"

namespace pindrake::converters {
namespace {

constexpr std::size_t maximumNesting = 1500;
constexpr std::size_t maximumSearchSteps = 100'000'000;

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

}  // namespace

// The open elements follow the tags as the parser's would, in practice: start tags open a level,
// end tags close back to their own name, elements without content or with an implied end do not
// stack on a sibling of their own name, and block start tags end an open paragraph.
bool parserCanTake(std::string_view html, const CancellationToken& stop) {
    OpenElements open;
    std::size_t searchSteps = 0;
    // The first '>' at or after the tag being read; looked for again only once passed, so that
    // tags without an end cost one search in all, not one each.
    std::size_t tagEnd = 0;
    for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at)) {
        if (stop.isCancelled())
            return false;
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
        searchSteps += open.depth();
        if (searchSteps > maximumSearchSteps)
            return false;
        if (tagEnd != std::string_view::npos && tagEnd < at)
            tagEnd = html.find('>', at);
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
        if (open.depth() > maximumNesting)
            return false;
    }
    return true;
}

}  // namespace pindrake::converters
