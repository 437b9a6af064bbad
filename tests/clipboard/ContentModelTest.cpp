#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "clipboard/ClipboardItem.h"
#include "clipboard/ContentTag.h"
#include "clipboard/HistoryFile.h"
#include "clipboard/LargeTexts.h"
#include "clipboard/SipHash.h"

namespace pindrake::clipboard {
namespace {

TEST(ClipboardItemTest, DisplayTextFollowsTheFirstRuleThatApplies) {
    std::string flags;  // one user-perceived character each
    for (int i = 0; i < 120; ++i)
        flags += "\U0001F1EF\U0001F1F5";
    struct Case {
        std::optional<std::string> text;
        bool isFile;
        bool hasImage;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {std::string(150, 'a'), false, false, std::string(100, 'a')},
        {flags, false, false, flags.substr(0, flags.size() / 120 * 100)},  // clusters stay whole
        {"/Users/a/report.pdf", true, false, "report.pdf"},
        {"/Users/a/folder/", true, false, "folder"},
        {"", false, false, ""},
        {std::nullopt, false, false, ""},
        {"caption", false, true, "caption"},
    };
    for (const auto& c : cases) {
        ClipboardItem item;
        item.plainText = c.text;
        if (c.isFile)
            item.pasteboardTypes = {"public.file-url"};
        if (c.hasImage)
            item.imageFilename = "X.png";
        EXPECT_EQ(item.displayText(), c.expected) << c.text.value_or("(none)");
    }
}

TEST(HistoryFileTest, WritesKeysInOrderLeavesOutAbsentValuesAndReadsItBack) {
    ClipboardItem full;
    full.id = "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D";
    full.createdAt = Date{726402115.25};
    full.tags = {ContentTag::url, ContentTag::json};
    full.plainText = "日本語 \"q\"\n";
    full.htmlText = "<a>x</a>";
    full.imageFilename = "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D.png";
    full.pasteboardTypes = {"public.utf8-plain-text"};
    full.sourceBundleID = "firefox";
    ClipboardItem bare;
    bare.id = "11111111-2222-4333-8444-555555555555";
    bare.createdAt = Date{1};
    ClipboardItem kept;
    kept.id = "22222222-3333-4444-8555-666666666666";
    kept.createdAt = Date{2};
    kept.plainText = "start";
    kept.plainTextIsStart = true;
    kept.plainTextCheck = KeptTextCheck{70000, {0x0123456789abcdefULL, 0xfedcba9876543210ULL}};
    kept.htmlText = "<p>start";
    kept.htmlTextIsStart = true;

    const std::string encoded = history_file::encode(HistoryList({full, bare, kept}));
    EXPECT_EQ(encoded,
              R"([{"id":"0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","createdAt":726402115.25,)"
              R"("tags":["json","url"],"plainText":"日本語 \"q\"\n","htmlText":"<a>x</a>",)"
              R"("imageFilename":"0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D.png",)"
              R"("pasteboardTypes":["public.utf8-plain-text"],"sourceBundleID":"firefox"},)"
              R"({"id":"11111111-2222-4333-8444-555555555555","createdAt":1.0,"tags":[],)"
              R"("pasteboardTypes":[]},)"
              R"({"id":"22222222-3333-4444-8555-666666666666","createdAt":2.0,"tags":[],)"
              R"("plainTextStart":"start","plainTextLength":70000,)"
              R"("plainTextDigest":"0123456789abcdeffedcba9876543210",)"
              R"("htmlTextStart":"<p>start","pasteboardTypes":[]}])");
    const auto decoded = history_file::decode(encoded);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->skipped.empty());
    EXPECT_EQ(decoded->items, (std::vector<ClipboardItem>{full, bare, kept}));
}

// One entry at a time: a bad entry is kept aside as it stood, a bad image name is dropped (it could
// leave the folder), duplicate and unknown tags collapse, and the id comes back in upper case.
TEST(HistoryFileTest, DecodesEachEntryByTheRules) {
    const std::string ownImage = "6F9619FF-8B86-D011-B42D-00C04FC964FF.png";
    const std::string id = R"({"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","createdAt":5)";
    const auto decodeOne = [](const std::string& entry) {
        const auto decoded = history_file::decode("[" + entry + "]");
        EXPECT_TRUE(decoded) << entry;
        return decoded.value_or(history_file::Decoded{});
    };
    const auto own = decodeOne(id + R"(,"imageFilename":")" + ownImage + R"("})");
    ASSERT_EQ(own.items.size(), 1u);
    EXPECT_TRUE(own.skipped.empty() && own.dropped.empty());
    EXPECT_EQ(own.items[0].imageFilename, ownImage);
    EXPECT_EQ(own.items[0].id, "6F9619FF-8B86-D011-B42D-00C04FC964FF");

    // Decoded without an image: never another file of the folder or one outside it.
    for (const std::string image :
         {"6f9619ff-8b86-d011-b42d-00c04fc964ff.png", "A.png",
          "history.json.corrupt-20240101T000000Z", "6F9619FF-8B86-D011-B42D-00C04FC964FF.pboard",
          "../secret.png", "a/b.png", ".", "..", ""}) {
        const auto decoded = decodeOne(id + R"(,"imageFilename":")" + image + R"("})");
        ASSERT_EQ(decoded.items.size(), 1u) << image;
        EXPECT_EQ(decoded.items[0].imageFilename, std::nullopt) << image;
    }
    for (const std::string rest : {"}", R"(,"plainText":null,"tags":null})", R"(,"extra":[1,2]})"})
        EXPECT_EQ(decodeOne(id + rest).items.size(), 1u) << rest;
    const std::string digest(31, 'a');  // a digit short

    for (const std::string& entry : std::vector<std::string>{
             R"({"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff"})",
             R"({"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","createdAt":"5"})",
             R"({"createdAt":5})", R"({"id":"x","createdAt":5})", id + R"(,"plainText":3})",
             id + R"(,"tags":"json"})", id + R"(,"pasteboardTypes":[1]})", "[]",
             id + R"(,"plainTextStart":"a","plainTextLength":-1,"plainTextDigest":"a)" + digest +
                 R"("})",
             id + R"(,"htmlTextStart":"a","htmlTextLength":1,"htmlTextDigest":")" + digest +
                 R"("})",
             id + R"(,"htmlTextStart":"a","htmlTextLength":1,"htmlTextDigest":"g)" + digest +
                 R"("})"}) {
        const auto decoded = decodeOne(entry);
        EXPECT_TRUE(decoded.items.empty()) << entry;
        EXPECT_EQ(decoded.skipped.size(), 1u) << entry;
        EXPECT_EQ(decoded.dropped, std::vector<std::string>{nlohmann::json::parse(entry).dump()});
    }

    // A repeated id is dropped, whatever its case; the first entry stays.
    const auto repeated = history_file::decode(
        "[" + id + R"(,"plainText":"first"},)" + id + R"(,"plainText":"second"},)" +
        R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","createdAt":1}])");
    ASSERT_TRUE(repeated);
    ASSERT_EQ(repeated->items.size(), 1u);
    EXPECT_EQ(repeated->items[0].plainText, "first");
    EXPECT_EQ(repeated->dropped.size(), 2u);

    const auto tagged = decodeOne(id + R"(,"tags":["json","yaml","json"]})");
    ASSERT_EQ(tagged.items.size(), 1u);
    EXPECT_EQ(tagged.items[0].tags, ContentTags{ContentTag::json});
    // A stray invalid byte costs nothing but that character; only an array is a history.
    const auto repaired = decodeOne(id + ",\"plainText\":\"a\xFF\"}");
    ASSERT_EQ(repaired.items.size(), 1u);
    EXPECT_EQ(repaired.items[0].plainText, "a\uFFFD");
    EXPECT_FALSE(history_file::decode("{}"));
    EXPECT_FALSE(history_file::decode("[{\"id\":"));
}

// A digest stored in a history file must mean the same in every later version: the hash is the
// published one, and its key never changes.
TEST(KeptTextCheckTest, IsTheLengthAndAFixedSipHashOfTheBytes) {
    const SipHashKey referenceKey{0x0706050403020100ULL, 0x0f0e0d0c0b0a0908ULL};
    EXPECT_EQ(SipHash128(referenceKey).digest(""),
              (std::array<std::uint64_t, 2>{0xe6a825ba047f81a3ULL, 0x930255c71472f66dULL}));
    EXPECT_EQ(SipHash128(referenceKey).digest(std::string(1, '\0')),
              (std::array<std::uint64_t, 2>{0x44af996bd8c187daULL, 0x45fc229b11597634ULL}));
    EXPECT_EQ(LargeTexts::checkOf("kept apart"),
              (KeptTextCheck{10, {0x93facd8ed847343eULL, 0x475f753abb33129bULL}}));
    // A file is checked a piece at a time, whatever its pieces' sizes.
    const std::string text = "a text kept apart, read in pieces";
    for (std::size_t piece = 1; piece <= text.size(); ++piece) {
        SipHash128 pieces(referenceKey);
        for (std::size_t at = 0; at < text.size(); at += piece)
            pieces.feed(std::string_view(text).substr(at, piece));
        EXPECT_EQ(pieces.finish(), SipHash128(referenceKey).digest(text)) << piece;
    }
}

}  // namespace
}  // namespace pindrake::clipboard
