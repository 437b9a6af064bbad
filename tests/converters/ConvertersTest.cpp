#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "converters/Converters.h"

namespace pindrake::converters {
namespace {

using clipboard::ContentTag;
using clipboard::ContentTags;
using enum clipboard::ContentTag;

std::vector<std::string> ids(const ConverterList& list) {
    std::vector<std::string> out;
    for (const Converter* converter : list)
        out.push_back(converter->id());
    return out;
}

struct CatalogueRow {
    std::string id;
    std::string titleKey;
    std::string iconName;
    ContentTags accepts;
};

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
    for (const auto& [list, rows] : lists) {
        ASSERT_EQ(list->size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Converter& converter = *(*list)[i];
            SCOPED_TRACE(rows[i].id);
            EXPECT_EQ(converter.id(), rows[i].id);
            EXPECT_EQ(converter.titleKey(), rows[i].titleKey);
            EXPECT_EQ(converter.iconName(), rows[i].iconName);
            EXPECT_EQ(converter.acceptsTags(), rows[i].accepts);
        }
    }
    EXPECT_EQ(Converters::pasteAsIs().id(), "paste.asis");
    EXPECT_EQ(Converters::pasteAsIs().titleKey(), "converter_paste_as_is");
    EXPECT_EQ(Converters::pasteAsIs().iconName(), "doc.on.clipboard");
    EXPECT_TRUE(Converters::pasteAsIs().acceptsTags().empty());
}

struct CandidateCase {
    std::string name;
    ContentTags tags;
    std::set<std::string> types;
    bool hasImage;
    bool hasText;
    std::vector<std::string> expected;
};

TEST(ConvertersTest, CandidatesFollowTheFileImageTextAndAiRules) {
    const std::vector<CandidateCase> cases = {
        {"nothing", {}, {}, false, false, {"paste.asis"}},
        {"plain text",
         {plainText},
         {},
         false,
         true,
         {"paste.asis", "ai.summarize", "ai.translate"}},
        {"tags but no text", {plainText}, {}, false, false, {"paste.asis"}},
        {"link", {url}, {}, false, true, {"paste.asis", "url.encode"}},
        {"link as text", {url, plainText}, {}, false, true, {"paste.asis", "url.encode"}},
        {"link with json",
         {url, plainText, json},
         {},
         false,
         true,
         {"paste.asis", "json.prettify", "json.minify", "url.encode", "ai.summarize",
          "ai.translate"}},
        {"file",
         {},
         {"public.file-url", "public.utf8-plain-text"},
         false,
         true,
         {"paste.asis", "filepath", "filename"}},
        {"image file",
         {plainText},
         {"public.file-url"},
         true,
         true,
         {"paste.asis", "filepath", "filename", "image.ocr"}},
        {"image", {}, {"public.png"}, true, false, {"paste.asis", "image.ocr"}},
        {"html and markdown",
         {ContentTag::html, markdown},
         {},
         false,
         true,
         {"paste.asis", "html.escape", "html.unescape", "markdown.toHTML", "html.toMarkdown",
          "text.toSlack", "text.toNotion", "plaintext", "ai.summarize", "ai.translate"}},
        {"every text kind",
         {json, base64, urlEncoded, unixTime, fullWidth},
         {},
         false,
         true,
         {"paste.asis", "json.prettify", "json.minify", "base64.decode", "base64.encode",
          "url.decode", "unix.toDate", "unix.fromDate", "fullwidth.toHalf", "fullwidth.toFull",
          "ai.summarize", "ai.translate"}},
        {"kinds no converter takes",
         {jwt, colorCode},
         {},
         false,
         true,
         {"paste.asis", "ai.summarize", "ai.translate"}},
        {"file type is matched exactly",
         {plainText},
         {"public.file-url-x"},
         false,
         true,
         {"paste.asis", "ai.summarize", "ai.translate"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ids(Converters::candidates(c.tags, c.types, c.hasImage, c.hasText)), c.expected)
            << c.name;
    }
}

}  // namespace
}  // namespace pindrake::converters
