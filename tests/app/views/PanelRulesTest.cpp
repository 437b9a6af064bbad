#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/views/PanelRules.h"

namespace pindrake::app::views {
namespace {

using clipboard::ClipboardItem;
using clipboard::ContentTag;

TEST(ListArea,
     ShowsTheListThenTheQuerysMissOnceSearchedThenWaitsForTheFilterThenSaysTheHistoryIsEmpty) {
    struct Case {
        bool hasFiltered, queryEmpty, storeEmpty, searching;
        ListAreaState expected;
    };
    for (const Case& c : {Case{true, false, false, false, ListAreaState::list},
                          Case{true, false, false, true, ListAreaState::list},
                          Case{true, true, false, false, ListAreaState::list},
                          Case{false, false, false, false, ListAreaState::noMatchingHistory},
                          Case{false, false, false, true, ListAreaState::nothing},
                          Case{false, false, true, false, ListAreaState::noMatchingHistory},
                          Case{false, true, false, false, ListAreaState::nothing},
                          Case{false, true, true, false, ListAreaState::noClipboardHistory}}) {
        EXPECT_EQ(listAreaState(c.hasFiltered, c.queryEmpty, c.storeEmpty, c.searching), c.expected)
            << c.hasFiltered << c.queryEmpty << c.storeEmpty << c.searching;
    }
}

ClipboardItem entry(std::set<std::string> types, clipboard::ContentTags tags,
                    std::optional<std::string> text = "text",
                    std::optional<std::string> source = std::nullopt) {
    ClipboardItem item;
    item.pasteboardTypes = std::move(types);
    item.tags = std::move(tags);
    item.plainText = std::move(text);
    item.sourceBundleID = std::move(source);
    return item;
}

TEST(RowIconRule, TheFirstMatchingRuleWins) {
    struct Case {
        const char* what;
        ClipboardItem item;
        bool hasAppIcon;
        RowIcon expected;
    };
    const Case cases[] = {
        {"file with text kinds",
         entry({"public.file-url", "public.utf8-plain-text"}, {ContentTag::json, ContentTag::url},
               "/tmp/a", "Files"),
         true, RowIcon::fileIcon},
        {"file without a path falls through", entry({"public.file-url"}, {}, std::nullopt), false,
         RowIcon::plainText},
        {"image from an application", entry({"public.png"}, {}, std::nullopt, "Gimp"), true,
         RowIcon::photo},
        {"tiff", entry({"public.tiff"}, {}), false, RowIcon::photo},
        {"address from a browser",
         entry({"public.utf8-plain-text"}, {ContentTag::url}, "https://a.example", "Browser"), true,
         RowIcon::siteIcon},
        {"json from an installed application", entry({}, {ContentTag::json}, "{}", "Editor"), true,
         RowIcon::appIcon},
        {"json from an application that is gone", entry({}, {ContentTag::json}, "{}", "Gone"),
         false, RowIcon::json},
        {"json without source", entry({}, {ContentTag::json}, "{}"), true, RowIcon::json},
        {"html", entry({"public.html"}, {ContentTag::html}), false, RowIcon::richText},
        {"plain", entry({"public.utf8-plain-text"}, {ContentTag::plainText}), false,
         RowIcon::plainText},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rowIcon(c.item, c.hasAppIcon), c.expected) << c.what;
}

TEST(ConverterHighlight, TheChoiceWhenFocusedTheFirstRowOtherwiseNothingPastTheEnd) {
    EXPECT_EQ(highlightedConverterRow(3, false, 5), 0);
    EXPECT_EQ(highlightedConverterRow(3, true, 5), 3);
    EXPECT_EQ(highlightedConverterRow(5, true, 5), std::nullopt);
    EXPECT_EQ(highlightedConverterRow(-1, true, 5), std::nullopt);
    EXPECT_EQ(highlightedConverterRow(0, false, 0), std::nullopt);
}

TEST(KeyHints, KeysAreNamedAsTheDesktopWritesThemWithCommandAsCtrl) {
    const auto keys = [](bool isMenuOpen) {
        std::vector<std::string> texts;
        for (const auto& hint : keyHints(isMenuOpen))
            texts.push_back(hint.keyText);
        return texts;
    };
    EXPECT_EQ(keys(false), (std::vector<std::string>{"→", "Ctrl+Backspace", "Esc"}));
    EXPECT_EQ(keys(true), (std::vector<std::string>{"←", "Esc"}));
}

std::string repeated(const std::string& unit, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += unit;
    return text;
}

TEST(PreviewText, CutsAfterFiveHundredUserPerceivedCharacters) {
    EXPECT_EQ(previewText(repeated("a", 500)), repeated("a", 500));
    EXPECT_EQ(previewText(repeated("a", 501)), repeated("a", 500) + "…");
    // Each is several code points (a family emoji, an accented letter) but one character.
    const std::string family = "👨‍👩‍👧";
    EXPECT_EQ(previewText(repeated(family, 500)), repeated(family, 500));
    EXPECT_EQ(previewText(repeated("e\u0301", 501)), repeated("e\u0301", 500) + "…");
    EXPECT_EQ(previewText(""), "");
    // A character of any length keeps its first 32 code points; the rest of the text follows.
    // (Compared as true or false: a failure would print pages of marks.)
    EXPECT_TRUE(previewText("a" + repeated("\u0301", 5000) + "b") ==
                "a" + repeated("\u0301", 31) + "b");
    EXPECT_TRUE(previewText(repeated("e" + repeated("\u0301", 40), 501)) ==
                repeated("e" + repeated("\u0301", 31), 500) + "…");
}

TEST(Thumbnail, ScalesDownToTheSquareKeepingTheAspectRatio) {
    EXPECT_EQ(thumbnailSize({1000, 500}, 220), (Size{220, 110}));
    EXPECT_EQ(thumbnailSize({500, 1000}, 220), (Size{110, 220}));
    EXPECT_EQ(thumbnailSize({100, 80}, 220), (Size{100, 80}));
    EXPECT_EQ(thumbnailSize({220, 220}, 220), (Size{220, 220}));
}

TEST(DoubleClick, SamePositionWithinTheIntervalOnly) {
    using namespace std::chrono_literals;
    DoubleClickDetector clicks;
    const TimePoint start{std::chrono::seconds(100)};
    const Duration interval = 500ms;
    EXPECT_FALSE(clicks.click(2, start, interval));
    EXPECT_TRUE(clicks.click(2, start + 300ms, interval));
    EXPECT_TRUE(clicks.click(2, start + 600ms, interval)) << "a third quick click doubles again";
    EXPECT_FALSE(clicks.click(3, start + 700ms, interval)) << "another row";
    EXPECT_FALSE(clicks.click(3, start + 1200ms, interval)) << "the interval has passed";
    EXPECT_FALSE(clicks.click(3, start + 1200ms + interval, interval)) << "exactly the interval";
}

}  // namespace
}  // namespace pindrake::app::views
