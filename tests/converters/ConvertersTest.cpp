#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "converters/ConverterEngines.h"
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

struct CatalogueRow {
    std::string id;
    std::string titleKey;
    std::string iconName;
    ContentTags accepts;
};

// The fixed names others look converters up by: id, catalogue key of the title, icon. The
// helper finds the engine of a converter it runs by the same id, under the same title.
TEST(ConvertersTest, CatalogueListsEachConverterWithItsIdentity) {
    const std::string html = "chevron.left.forwardslash.chevron.right";
    const std::vector<std::pair<const ConverterList*, std::vector<CatalogueRow>>> lists = {
        {&Converters::fileConverters(),
         {{"filepath", "converter_file_path", "folder", {plainText}},
          {"filename", "converter_file_name", "doc.text", {plainText}}}},
        {&Converters::imageConverters(),
         {{"image.ocr", "converter_image_ocr", "doc.text.viewfinder", {plainText}}}},
        {&Converters::textConverters(),
         {{"json.prettify", "converter_json_prettify", "curlybraces", {json}},
          {"json.minify", "converter_json_minify", "curlybraces", {json}},
          {"base64.decode", "converter_base64_decode", "lock.open", {base64}},
          {"base64.encode", "converter_base64_encode", "lock", {base64}},
          {"url.decode", "converter_url_decode", "link", {urlEncoded}},
          {"url.encode", "converter_url_encode", "link", {url}},
          {"unix.toDate", "converter_unix_to_date", "clock", {unixTime}},
          {"unix.fromDate", "converter_date_to_unix", "clock", {unixTime}},
          {"fullwidth.toHalf", "converter_full_to_half", "textformat.size", {fullWidth}},
          {"fullwidth.toFull", "converter_half_to_full", "textformat.size", {fullWidth}},
          {"html.escape", "converter_html_escape", html, {ContentTag::html}},
          {"html.unescape", "converter_html_unescape", html, {ContentTag::html}},
          {"markdown.toHTML", "converter_to_html", html, {markdown}},
          {"html.toMarkdown", "converter_to_markdown", "text.document", {ContentTag::html}},
          {"text.toSlack", "converter_to_slack", "number", {ContentTag::html, markdown}},
          {"text.toNotion", "converter_to_notion", "doc.richtext", {ContentTag::html, markdown}},
          {"plaintext", "converter_plain_text", "doc.plaintext", {ContentTag::html}}}},
        {&Converters::aiConverters(),
         {{"ai.summarize", "converter_ai_summarize", "sparkles", {}},
          {"ai.translate", "converter_ai_translate", "sparkles", {}}}},
    };
    int enginesInTheHelper = 0;
    for (const auto& [list, rows] : lists) {
        ASSERT_EQ(list->size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Converter& converter = *(*list)[i];
            SCOPED_TRACE(rows[i].id);
            EXPECT_EQ(converter.id(), rows[i].id);
            EXPECT_EQ(converter.titleKey(), rows[i].titleKey);
            EXPECT_EQ(converter.iconName(), rows[i].iconName);
            EXPECT_EQ(converter.acceptsTags(), rows[i].accepts);
            if (const Converter* engine = converterEngine(rows[i].id)) {
                EXPECT_EQ(engine->titleKey(), rows[i].titleKey);
                ++enginesInTheHelper;
            }
        }
    }
    // Image OCR, Markdown to HTML, HTML to Markdown, Slack, Notion and plain text.
    EXPECT_EQ(enginesInTheHelper, 6);
    EXPECT_EQ(converterEngine("json.prettify"), nullptr) << "runs in the app";
    EXPECT_EQ(Converters::pasteAsIs().id(), "paste.asis");
    EXPECT_EQ(Converters::pasteAsIs().titleKey(), "converter_paste_as_is");
    EXPECT_EQ(Converters::pasteAsIs().iconName(), "doc.on.clipboard");
    EXPECT_TRUE(Converters::pasteAsIs().acceptsTags().empty());
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
