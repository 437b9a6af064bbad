#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "converters/Converters.h"

namespace pindrake::converters {
namespace {

using clipboard::ContentTag;
using clipboard::ContentTags;
using enum clipboard::ContentTag;

// The identifiers in order, separated by spaces.
std::string ids(const ConverterList& list) {
    std::string out;
    for (const Converter* converter : list)
        out += (out.empty() ? "" : " ") + converter->id();
    return out;
}

TEST(ConvertersTest, CandidatesFollowTheFileImageTextAndAiRules) {
    const std::string fileUrl = "public.file-url";
    const std::string files = " filepath filename";
    const std::string jsonLayout = " json.prettify json.minify";
    const std::string ai = " ai.summarize ai.translate";
    const std::string markup =
        " html.escape html.unescape markdown.toHTML html.toMarkdown text.toSlack text.toNotion"
        " plaintext";
    const std::string otherKinds =
        " base64.decode base64.encode url.decode unix.toDate unix.fromDate fullwidth.toHalf"
        " fullwidth.toFull";
    const ContentTags textKinds{json, base64, urlEncoded, unixTime, fullWidth};
    const struct {
        const char* name;
        ContentTags tags;
        std::set<std::string> types;
        bool hasImage;
        bool hasText;
        std::string expected;  // after "paste.asis"
    } cases[] = {
        {"nothing", {}, {}, false, false, ""},
        {"plain text", {plainText}, {}, false, true, ai},
        {"tags but no text", {plainText}, {}, false, false, ""},
        {"link", {url}, {}, false, true, " url.encode"},
        {"link as text", {url, plainText}, {}, false, true, " url.encode"},
        {"link, json", {url, plainText, json}, {}, false, true, jsonLayout + " url.encode" + ai},
        {"file", {}, {fileUrl, "public.utf8-plain-text"}, false, true, files},
        {"image file", {plainText}, {fileUrl}, true, true, files + " image.ocr"},
        {"image", {}, {"public.png"}, true, false, " image.ocr"},
        {"html and markdown", {ContentTag::html, markdown}, {}, false, true, markup + ai},
        {"every text kind", textKinds, {}, false, true, jsonLayout + otherKinds + ai},
        {"kinds no converter takes", {jwt, colorCode}, {}, false, true, ai},
        {"file type is matched exactly", {plainText}, {fileUrl + "-x"}, false, true, ai},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ids(Converters::candidates(c.tags, c.types, c.hasImage, c.hasText)),
                  "paste.asis" + c.expected)
            << c.name;
    }
}

}  // namespace
}  // namespace pindrake::converters
