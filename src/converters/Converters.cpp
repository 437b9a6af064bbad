#include "converters/Converters.h"

#include <algorithm>

#include "converters/HelperConverter.h"
#include "converters/RecognitionConverters.h"
#include "converters/TextFormatConverters.h"
#include "converters/UnixTimeConverters.h"
#include "converters/WidthAndEntityConverters.h"

namespace pindrake::converters {
namespace {

using clipboard::ContentTag;
using clipboard::ContentTags;

constexpr const char* fileUrlType = "public.file-url";
constexpr const char* htmlIcon = "chevron.left.forwardslash.chevron.right";

struct Catalogue {
    PasteAsIsConverter pasteAsIs{"paste.asis", "doc.on.clipboard", {}};

    FilePathConverter filePath{"filepath", "folder", {ContentTag::plainText}};
    FileNameConverter fileName{"filename", "doc.text", {ContentTag::plainText}};

    JSONPrettifyConverter jsonPrettify{"json.prettify", "curlybraces", {ContentTag::json}};
    JSONMinifyConverter jsonMinify{"json.minify", "curlybraces", {ContentTag::json}};
    Base64DecodeConverter base64Decode{"base64.decode", "lock.open", {ContentTag::base64}};
    Base64EncodeConverter base64Encode{"base64.encode", "lock", {ContentTag::base64}};
    URLDecodeConverter urlDecode{"url.decode", "link", {ContentTag::urlEncoded}};
    URLEncodeConverter urlEncode{"url.encode", "link", {ContentTag::url}};
    UnixToDateConverter unixToDate{"unix.toDate", "clock", {ContentTag::unixTime}};
    DateToUnixConverter dateToUnix{"unix.fromDate", "clock", {ContentTag::unixTime}};
    FullWidthToHalfConverter fullToHalf{
        "fullwidth.toHalf", "textformat.size", {ContentTag::fullWidth}};
    HalfToFullWidthConverter halfToFull{
        "fullwidth.toFull", "textformat.size", {ContentTag::fullWidth}};
    HTMLEntityEscapeConverter htmlEscape{"html.escape", htmlIcon, {ContentTag::html}};
    HTMLEntityUnescapeConverter htmlUnescape{"html.unescape", htmlIcon, {ContentTag::html}};
    // These run in conversion helpers, by their identifiers (see ConverterEngines.h).
    HelperConverter helpedImageOCR{
        "image.ocr", "doc.text.viewfinder", {ContentTag::plainText}, "converter_image_ocr"};
    HelperConverter helpedMarkdownToHTML{
        "markdown.toHTML", htmlIcon, {ContentTag::markdown}, "converter_to_html"};
    HelperConverter helpedHtmlToMarkdown{
        "html.toMarkdown", "text.document", {ContentTag::html}, "converter_to_markdown"};
    HelperConverter helpedToSlack{
        "text.toSlack", "number", {ContentTag::html, ContentTag::markdown}, "converter_to_slack"};
    HelperConverter helpedToNotion{"text.toNotion",
                                   "doc.richtext",
                                   {ContentTag::html, ContentTag::markdown},
                                   "converter_to_notion"};
    HelperConverter helpedPlainText{
        "plaintext", "doc.plaintext", {ContentTag::html}, "converter_plain_text"};

    AISummarizeConverter aiSummarize{"ai.summarize", "sparkles", {}};
    AITranslateConverter aiTranslate{"ai.translate", "sparkles", {}};

    ConverterList fileList{&filePath, &fileName};
    ConverterList imageList{&helpedImageOCR};
    ConverterList textList{&jsonPrettify,
                           &jsonMinify,
                           &base64Decode,
                           &base64Encode,
                           &urlDecode,
                           &urlEncode,
                           &unixToDate,
                           &dateToUnix,
                           &fullToHalf,
                           &halfToFull,
                           &htmlEscape,
                           &htmlUnescape,
                           &helpedMarkdownToHTML,
                           &helpedHtmlToMarkdown,
                           &helpedToSlack,
                           &helpedToNotion,
                           &helpedPlainText};
    ConverterList aiList{&aiSummarize, &aiTranslate};
};

// Never destroyed: a conversion still running on a worker when the process exits keeps using
// its converter while the statics are torn down.
const Catalogue& catalogue() {
    static const Catalogue* const instance = new Catalogue;
    return *instance;
}

bool sharesKind(const ContentTags& a, const ContentTags& b) {
    return std::any_of(a.begin(), a.end(), [&b](ContentTag tag) { return b.contains(tag); });
}

// Links alone gain nothing from a summary or a translation.
bool isOnlyALink(const ContentTags& tags) {
    return tags == ContentTags{ContentTag::url} ||
           tags == ContentTags{ContentTag::url, ContentTag::plainText};
}

}  // namespace

const Converter& Converters::pasteAsIs() {
    return catalogue().pasteAsIs;
}

const ConverterList& Converters::fileConverters() {
    return catalogue().fileList;
}

const ConverterList& Converters::imageConverters() {
    return catalogue().imageList;
}

const ConverterList& Converters::textConverters() {
    return catalogue().textList;
}

const ConverterList& Converters::aiConverters() {
    return catalogue().aiList;
}

ConverterList Converters::candidates(const ContentTags& tags,
                                     const std::set<std::string>& pasteboardTypes, bool hasImage,
                                     bool hasText) {
    ConverterList offered{&pasteAsIs()};
    const bool isFile = pasteboardTypes.contains(fileUrlType);
    if (isFile)
        offered.insert(offered.end(), fileConverters().begin(), fileConverters().end());
    if (hasImage)
        offered.insert(offered.end(), imageConverters().begin(), imageConverters().end());
    for (const Converter* converter : textConverters()) {
        if (sharesKind(converter->acceptsTags(), tags))
            offered.push_back(converter);
    }
    if (!isOnlyALink(tags) && !isFile && hasText)
        offered.insert(offered.end(), aiConverters().begin(), aiConverters().end());
    return offered;
}

}  // namespace pindrake::converters
