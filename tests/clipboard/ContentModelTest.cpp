#include <gtest/gtest.h>
#include <unicode/timezone.h>
#include <nlohmann/json.hpp>

#include "clipboard/ClipboardItem.h"
#include "clipboard/ContentTag.h"
#include "clipboard/HistoryFile.h"

namespace pindrake::clipboard {
namespace {

TEST(ContentTagTest, RawValuesAreTheCaseNamesInDeclarationOrder) {
    const std::vector<std::string_view> expected = {"json",      "jwt",  "unixTime", "urlEncoded",
                                                    "base64",    "html", "markdown", "fullWidth",
                                                    "colorCode", "url",  "plainText"};
    ASSERT_EQ(allContentTags.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(rawValue(allContentTags[i]), expected[i]);
        EXPECT_EQ(contentTagFromRawValue(expected[i]), allContentTags[i]);
    }
    EXPECT_EQ(contentTagFromRawValue("JSON"), std::nullopt);
    EXPECT_EQ(contentTagFromRawValue("yaml"), std::nullopt);
}

ClipboardItem textItem(std::string text) {
    ClipboardItem item;
    item.id = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
    item.plainText = std::move(text);
    return item;
}

std::string repeated(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(ClipboardItemTest, DisplayTextFollowsTheFirstRuleThatApplies) {
    const std::string flag = "\U0001F1EF\U0001F1F5";  // one user-perceived character
    struct Case {
        std::string name;
        std::optional<std::string> text;
        bool isFile;
        bool hasImage;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"first 100 of 150 characters", repeated("a", 150), false, false, repeated("a", 100)},
        {"100 flags stay whole", repeated(flag, 120), false, false, repeated(flag, 100)},
        {"file shows its name", "/Users/a/report.pdf", true, false, "report.pdf"},
        {"folder shows its name", "/Users/a/folder/", true, false, "folder"},
        {"empty text, no image", "", false, false, ""},
        {"no text, no image", std::nullopt, false, false, ""},
        {"text wins over image", "caption", false, true, "caption"},
    };
    for (const auto& c : cases) {
        ClipboardItem item;
        item.plainText = c.text;
        if (c.isFile)
            item.pasteboardTypes = {"public.file-url"};
        if (c.hasImage)
            item.imageFilename = "X.png";
        EXPECT_EQ(item.displayText(), c.expected) << c.name;
    }
}

TEST(ClipboardItemTest, ImageWithoutTextShowsTheLabelAndLocalCreationTime) {
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("Asia/Tokyo"));
    ClipboardItem item;
    item.plainText = "";
    item.imageFilename = "X.png";
    item.createdAt = Date::fromUnixSeconds(1700000000);  // 2023-11-14 22:13:20 UTC
    EXPECT_EQ(item.displayText(), "画像 – 2023-11-15 07:13:20");
    icu::TimeZone::adoptDefault(icu::TimeZone::detectHostTimeZone());
}

TEST(HistoryFileTest, WritesKeysInOrderAndLeavesOutAbsentValues) {
    ClipboardItem full;
    full.id = "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D";
    full.createdAt = Date{726402115.25};
    full.tags = {ContentTag::url};
    full.plainText = "https://example.com/a";
    full.htmlText = "<a>x</a>";
    full.imageFilename = "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D.png";
    full.pasteboardTypes = {"public.utf8-plain-text"};
    full.sourceBundleID = "firefox";
    ClipboardItem bare;
    bare.id = "11111111-2222-4333-8444-555555555555";
    bare.createdAt = Date{1};

    EXPECT_EQ(history_file::encode({full, bare}),
              R"([{"id":"0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","createdAt":726402115.25,)"
              R"("tags":["url"],"plainText":"https://example.com/a","htmlText":"<a>x</a>",)"
              R"("imageFilename":"0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D.png",)"
              R"("pasteboardTypes":["public.utf8-plain-text"],"sourceBundleID":"firefox"},)"
              R"({"id":"11111111-2222-4333-8444-555555555555","createdAt":1.0,"tags":[],)"
              R"("pasteboardTypes":[]}])");
}

TEST(HistoryFileTest, ReadsBackWhatItWrote) {
    ClipboardItem item = textItem("日本語 and \"quotes\"\n");
    item.createdAt = Date::fromUnixSeconds(1712345678.123456);
    item.tags = {ContentTag::markdown, ContentTag::json};
    item.pasteboardTypes = {"public.html", "application/x-custom"};
    const auto decoded = history_file::decode(history_file::encode({item, textItem("b")}));
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->skipped.empty());
    EXPECT_EQ(decoded->items, (std::vector<ClipboardItem>{item, textItem("b")}));
}

TEST(HistoryFileTest, DecodesEachEntryByTheRules) {
    const std::string id = R"("id":"6f9619ff-8b86-d011-b42d-00c04fc964ff")";
    struct Case {
        std::string name;
        std::string entry;
        bool decodes;
    };
    const std::vector<Case> cases = {
        {"minimal", "{" + id + R"(,"createdAt":5})", true},
        {"nulls read as absent", "{" + id + R"(,"createdAt":5,"plainText":null,"tags":null})",
         true},
        {"unknown keys ignored", "{" + id + R"(,"createdAt":5,"extra":[1,2]})", true},
        {"no createdAt", "{" + id + "}", false},
        {"createdAt as text", "{" + id + R"(,"createdAt":"5"})", false},
        {"no id", R"({"createdAt":5})", false},
        {"id not a UUID", R"({"id":"x","createdAt":5})", false},
        {"text as number", "{" + id + R"(,"createdAt":5,"plainText":3})", false},
        {"tags not an array", "{" + id + R"(,"createdAt":5,"tags":"json"})", false},
        {"type that is no string", "{" + id + R"(,"createdAt":5,"pasteboardTypes":[1]})", false},
        {"not an object", "[]", false},
    };
    for (const auto& c : cases) {
        const auto decoded = history_file::decode("[" + c.entry + "]");
        ASSERT_TRUE(decoded) << c.name;
        EXPECT_EQ(decoded->items.size(), c.decodes ? 1u : 0u) << c.name;
        EXPECT_EQ(decoded->skipped.size(), c.decodes ? 0u : 1u) << c.name;
    }
}

TEST(HistoryFileTest, CollapsesTagsDropsUnknownOnesAndCanonicalisesTheId) {
    const auto decoded =
        history_file::decode(R"([{"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","createdAt":5,)"
                             R"("tags":["json","yaml","json"]}])");
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->items.size(), 1u);
    EXPECT_EQ(decoded->items[0].tags, ContentTags{ContentTag::json});
    EXPECT_EQ(decoded->items[0].id, "6F9619FF-8B86-D011-B42D-00C04FC964FF");
    EXPECT_TRUE(decoded->items[0].pasteboardTypes.empty());
}

TEST(HistoryFileTest, ImageNamesThatCouldLeaveTheFolderAreDropped) {
    for (const std::string name : {"../secret.png", "/etc/passwd", ".", "..", "", "a/b.png"}) {
        nlohmann::json entry = {{"id", "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
                                {"createdAt", 1},
                                {"imageFilename", name}};
        const auto decoded = history_file::decode(nlohmann::json::array({entry}).dump());
        ASSERT_TRUE(decoded);
        ASSERT_EQ(decoded->items.size(), 1u) << name;
        EXPECT_EQ(decoded->items[0].imageFilename, std::nullopt) << name;
    }
    const auto decoded = history_file::decode(
        R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","createdAt":1,"imageFilename":"A.png"}])");
    EXPECT_EQ(decoded->items[0].imageFilename, "A.png");
}

TEST(HistoryFileTest, OnlyAnArrayIsAHistory) {
    EXPECT_FALSE(history_file::decode("{}"));
    EXPECT_FALSE(history_file::decode("[{\"id\":"));
    EXPECT_FALSE(history_file::decode(""));
    // A stray invalid byte costs nothing but that character.
    const auto decoded = history_file::decode(
        "[{\"id\":\"6F9619FF-8B86-D011-B42D-00C04FC964FF\",\"createdAt\":1,\"plainText\":\"a\xFF\"}"
        "]");
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->items.size(), 1u);
    EXPECT_EQ(decoded->items[0].plainText, "a\uFFFD");
}

}  // namespace
}  // namespace pindrake::clipboard
