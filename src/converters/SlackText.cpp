#include "converters/SlackText.h"

#include <array>
#include <span>

#include "converters/HtmlEntities.h"
#include "converters/RegexRewrite.h"
#include "foundation/Unicode.h"

namespace pindrake::converters {
namespace {

struct Rewrite {
    std::u16string_view pattern;
    std::u16string_view replacement;
};

constexpr std::array<Rewrite, 10> markupRewrites{{
    {u"<pre><code[^>]*>(.*?)</code></pre>", u"```\n$1\n```"},
    {u"<pre[^>]*>(.*?)</pre>", u"```\n$1\n```"},
    {u"<code>(.*?)</code>", u"`$1`"},
    {u"<h[1-6][^>]*>(.*?)</h[1-6]>", u"*$1*\n"},
    {u"<(b|strong)>(.*?)</\\1>", u"*$2*"},
    {u"<(i|em)>(.*?)</\\1>", u"_$2_"},
    {u"<(s|strike|del)>(.*?)</\\1>", u"~$2~"},
    // Marked with two noncharacters until the last tag is gone, so that the link itself is not
    // taken for a tag and removed.
    {u"<a[^>]+href=\"([^\"]+)\"[^>]*>(.*?)</a>", u"\uFDD0$1|$2\uFDD1"},  // linkStart, linkEnd
    {u"<li[^>]*>(.*?)</li>", u"\u2022 $1\n"},
    {u"</?[uo]l[^>]*>", u"\n"},
}};

constexpr std::array<Rewrite, 7> tableRewrites{{
    {u"<tr[^>]*>", u""},
    {u"</tr>", u"\n"},
    {u"<t[dh][^>]*>", u"\t"},
    {u"</t[dh]>", u""},
    {u"</?table[^>]*>", u""},
    {u"</?thead[^>]*>", u""},
    {u"</?tbody[^>]*>", u""},
}};

constexpr std::array<Rewrite, 6> layoutRewrites{{
    {u"<img[^>]*>", u""},
    {u"<br[^>]*/?>", u"\n"},
    {u"</?p[^>]*>", u"\n"},
    {u"</?div[^>]*>", u"\n"},
    {u"</?blockquote[^>]*>", u"> "},
    {u"<[^>]+>", u""},
}};

constexpr std::string_view linkStart = "\uFDD0";
constexpr std::string_view linkEnd = "\uFDD1";

constexpr std::array<entities::Entity, 6> slackEntities{{
    {"&amp;", "&"},
    {"&lt;", "<"},
    {"&gt;", ">"},
    {"&quot;", "\""},
    {"&#39;", "'"},
    {"&nbsp;", " "},
}};

bool applyAll(std::string& text, std::span<const Rewrite> rewrites) {
    for (const Rewrite& rewrite : rewrites) {
        auto rewritten = replacingMatches(text, rewrite.pattern, rewrite.replacement);
        if (!rewritten)
            return false;
        text = std::move(*rewritten);
    }
    return true;
}

// Only the first table becomes a code block; the tags of later ones go with all other tags.
bool fenceFirstTable(std::string& text) {
    auto split = splitAtFirstMatch(text, u"<table[\\s\\S]*?</table>");
    if (!split)
        return false;
    if (!split->found)
        return true;
    if (!applyAll(split->match, tableRewrites))
        return false;
    text = split->before + "```\n" + unicode::trimmed(split->match) + "\n```" + split->after;
    return true;
}

// The links' marks become the angle brackets the chat service expects.
std::string withLinksMarked(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        if (text.starts_with(linkStart) || text.starts_with(linkEnd)) {
            out += text.starts_with(linkStart) ? '<' : '>';
            text.remove_prefix(linkStart.size());
        } else {
            out += text.front();
            text.remove_prefix(1);
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> slackText(std::string_view html) {
    std::string text(html);
    if (!applyAll(text, markupRewrites) || !fenceFirstTable(text) ||
        !applyAll(text, layoutRewrites)) {
        return std::nullopt;
    }
    text = withLinksMarked(text);
    text = entities::decodedOnce(text, slackEntities);
    auto collapsed = replacingMatches(text, u"\n{3,}", u"\n\n");
    if (!collapsed)
        return std::nullopt;
    return unicode::trimmed(*collapsed);
}

}  // namespace pindrake::converters
