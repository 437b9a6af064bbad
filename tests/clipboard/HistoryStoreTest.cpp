#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unicode/timezone.h>

#include <cctype>

#include "clipboard/HistoryStore.h"
#include "foundation/Uuid.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

namespace fs = std::filesystem;
using platform::FakeImageCodec;
using platform::PasteboardContents;

const std::string png = std::string(FakeImageCodec::pngSignature) + "pixels";

ClipboardContent textContent(std::string text) {
    ClipboardContent content;
    content.plainText = std::move(text);
    content.tags = {ContentTag::plainText};
    content.pasteboardTypes = {"public.utf8-plain-text"};
    return content;
}

ClipboardContent imageContent() {
    ClipboardContent content;
    content.image = FakeImageCodec().decode(png);
    content.pasteboardTypes = {"public.png"};
    return content;
}

bool isUpperCaseUuid(const std::string& text) {
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        const auto c = static_cast<unsigned char>(text[i]);
        if (hyphen ? c != '-' : !(std::isdigit(c) || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

PasteboardContents offeredText(const std::string& text) {
    return {{"public.utf8-plain-text", text}};
}

class HistoryStoreTest : public ::testing::Test {
  protected:
    std::unique_ptr<HistoryStore> openStore() {
        return std::make_unique<HistoryStore>(
            directory, HistoryStore::Services{defaults, pasteboard, codec, [this] { return now; }});
    }

    void addText(HistoryStore& store, const std::string& text) {
        store.add(textContent(text), offeredText(text));
        now.secondsSinceReferenceDate += 1;
    }

    std::size_t filesEndingWith(std::string_view suffix) const {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(directory)) {
            if (entry.path().filename().string().ends_with(suffix))
                ++count;
        }
        return count;
    }

    test_support::TemporaryDirectory temporary;
    fs::path directory = temporary.path() / "data" / "Murvet";
    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    FakeImageCodec codec;
    Date now{700000000.5};
};

TEST_F(HistoryStoreTest, SavesTheFileAsSpecifiedAndReloadsTheSameHistory) {
    auto store = openStore();
    ClipboardContent rich = textContent("# Title");
    rich.html = "<h1>Title</h1>";
    rich.tags = {ContentTag::markdown};
    rich.sourceBundleID = "org.example.Editor";
    store->add(rich, offeredText("# Title"));
    now.secondsSinceReferenceDate = 700000001.25;
    store->add(imageContent(), {{"public.png", png}});

    const auto json = nlohmann::ordered_json::parse(test_support::readFile(store->historyFile()));
    ASSERT_EQ(json.size(), 2u);
    const auto& image = json[0];
    const auto& text = json[1];
    EXPECT_TRUE(isUpperCaseUuid(image["id"].get<std::string>()));
    EXPECT_EQ(image["imageFilename"], image["id"].get<std::string>() + ".png");
    EXPECT_EQ(image["createdAt"], 700000001.25);
    EXPECT_FALSE(image.contains("plainText"));
    EXPECT_FALSE(image.contains("htmlText"));
    EXPECT_FALSE(image.contains("sourceBundleID"));
    std::vector<std::string> keys;
    for (const auto& [key, value] : text.items())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"id", "createdAt", "tags", "plainText", "htmlText",
                                              "pasteboardTypes", "sourceBundleID"}));
    EXPECT_EQ(text["tags"], nlohmann::ordered_json::array({"markdown"}));
    EXPECT_EQ(text["createdAt"], 700000000.5);

    const auto saved = store->items().get();
    store.reset();
    EXPECT_EQ(openStore()->items().get(), saved);
}

TEST_F(HistoryStoreTest, DropsATextEqualToTheNewestEntryOnly) {
    auto store = openStore();
    addText(*store, "é");
    const auto fileBefore = test_support::readFile(store->historyFile());
    addText(*store, "e\u0301");  // the same text, decomposed
    EXPECT_EQ(store->items()->size(), 1u);
    EXPECT_EQ(test_support::readFile(store->historyFile()), fileBefore);
    EXPECT_EQ(filesEndingWith(".pboard"), 1u);

    addText(*store, "B");
    addText(*store, "é");
    EXPECT_EQ(store->items()->size(), 3u);

    store->add(imageContent(), {{"public.png", png}});
    store->add(imageContent(), {{"public.png", png}});
    EXPECT_EQ(store->items()->size(), 5u);
    EXPECT_EQ(filesEndingWith(".png"), 2u);
    EXPECT_EQ(filesEndingWith(".pboard"), 5u);
}

TEST_F(HistoryStoreTest, LimitComesFromTheUserSetting) {
    struct Case {
        std::optional<platform::Defaults::Value> stored;
        std::size_t limit;
    };
    const std::vector<Case> cases = {
        {std::nullopt, 500},
        {std::int64_t{0}, 500},
        {std::int64_t{50}, 100},
        {std::int64_t{-3}, 100},
        {std::int64_t{100}, 100},
        {std::int64_t{101}, 101},
        {std::int64_t{2000}, 2000},
        {std::int64_t{5000}, 2000},
        {std::string("700"), 500},
        {true, 500},
        {150.7, 150},
    };
    for (const auto& c : cases) {
        platform::InMemoryDefaults settings;
        if (c.stored)
            settings.set(HistoryStore::maxHistoryItemsKey, *c.stored);
        EXPECT_EQ(HistoryStore::historyLimit(settings), c.limit);
    }
}

TEST_F(HistoryStoreTest, TrimsTheOldestEntriesWithTheirFiles) {
    defaults.set(HistoryStore::maxHistoryItemsKey, std::int64_t{100});
    auto store = openStore();
    store->add(imageContent(), {{"public.png", png}});
    const ClipboardItem oldest = store->items()->front();
    for (int i = 0; i < 100; ++i)
        addText(*store, "text " + std::to_string(i));
    ASSERT_EQ(store->items()->size(), 100u);
    EXPECT_EQ(store->items()->back().plainText, "text 0");
    EXPECT_FALSE(fs::exists(directory / (oldest.id + ".png")));
    EXPECT_FALSE(fs::exists(directory / (oldest.id + ".pboard")));
    EXPECT_EQ(filesEndingWith(".pboard"), 100u);
}

TEST_F(HistoryStoreTest, ALoadedHistoryIsTrimmedOnlyByTheNextAdd) {
    fs::create_directories(directory);
    std::string file = "[";
    for (int i = 0; i < 800; ++i) {
        file += (i ? "," : "") + std::string(R"({"id":")") + makeUuid() + R"(","createdAt":1})";
    }
    test_support::writeFile(directory / "history.json", file + "]");
    auto store = openStore();
    EXPECT_EQ(store->items()->size(), 800u);
    addText(*store, "one more");
    EXPECT_EQ(store->items()->size(), 500u);
    EXPECT_EQ(openStore()->items()->size(), 500u);
}

TEST_F(HistoryStoreTest, ABadEntryCostsOnlyItself) {
    fs::create_directories(directory);
    test_support::writeFile(
        directory / "history.json",
        R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","createdAt":3,"plainText":"kept"},)"
        R"({"id":"broken","createdAt":2},)"
        R"({"id":"7F9619FF-8B86-D011-B42D-00C04FC964FF","createdAt":1,"plainText":"also"}])");
    auto store = openStore();
    ASSERT_EQ(store->items()->size(), 2u);
    EXPECT_EQ(store->items().get()[0].plainText, "kept");
    EXPECT_EQ(store->items().get()[1].plainText, "also");
}

TEST_F(HistoryStoreTest, AnUnreadableHistoryFileIsKeptAsideNotOverwritten) {
    fs::create_directories(directory);
    const std::string damaged = R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","createdAt":)";
    test_support::writeFile(directory / "history.json", damaged);
    auto store = openStore();
    EXPECT_TRUE(store->items()->empty());
    EXPECT_EQ(test_support::readFile(directory / "history.json"), damaged);

    now = Date::fromUnixSeconds(1700000000);  // 2023-11-14 22:13:20 UTC
    addText(*store, "new");
    const fs::path aside = directory / "history.json.corrupt-20231114T221320Z";
    EXPECT_EQ(test_support::readFile(aside), damaged);
    const auto saved = nlohmann::json::parse(test_support::readFile(directory / "history.json"));
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]["plainText"], "new");

    addText(*store, "newer");  // moved aside once only
    EXPECT_EQ(test_support::readFile(aside), damaged);
    EXPECT_EQ(filesEndingWith("Z"), 1u);
}

TEST_F(HistoryStoreTest, KeepsItsFolderAndFilesPrivate) {
    fs::create_directories(directory);
    fs::permissions(directory, fs::perms(0755));
    auto store = openStore();
    store->add(imageContent(), {{"public.png", png}});
    const auto& item = store->items()->front();
    EXPECT_EQ(test_support::permissions(directory), 0700u);
    for (const auto& name : {std::string("history.json"), item.id + ".png", item.id + ".pboard"}) {
        EXPECT_EQ(test_support::permissions(directory / name), 0600u) << name;
    }
    // Nothing half-written is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator()), 3);
}

TEST_F(HistoryStoreTest, NeverTouchesFilesOutsideItsFolder) {
    fs::create_directories(directory);
    const fs::path victim = temporary.path() / "data" / "victim.png";
    const fs::path victimSnapshot = temporary.path() / "data" / "victim.pboard";
    test_support::writeFile(victim, png);
    test_support::writeFile(victimSnapshot, "{}");
    test_support::writeFile(directory / "history.json",
                            R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","createdAt":1,)"
                            R"("imageFilename":"../victim.png"}])");
    auto store = openStore();
    ASSERT_EQ(store->items()->size(), 1u);
    EXPECT_FALSE(store->content(store->items()->front()).image);

    ClipboardItem planted;
    planted.id = "../victim";
    planted.imageFilename = "../victim.png";
    auto list = store->items().get();
    list.push_back(planted);
    store->items() = list;
    EXPECT_FALSE(store->restoreToPasteboard(planted));
    store->clearAll();
    EXPECT_TRUE(fs::exists(victim));
    EXPECT_TRUE(fs::exists(victimSnapshot));
}

TEST_F(HistoryStoreTest, SearchesTextAndTitlesIgnoringCase) {
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("UTC"));
    auto store = openStore();
    addText(*store, "a quick brown fox");
    addText(*store, "Straße in Köln");
    ClipboardContent file = textContent("/home/u/Report.PDF");
    file.pasteboardTypes = {"public.file-url"};
    store->add(file, {{"public.file-url", "file:///home/u/Report.PDF"}});
    now = Date::fromUnixSeconds(1700000000);
    store->add(imageContent(), {{"public.png", png}});

    const auto texts = [](const std::vector<ClipboardItem>& items) {
        std::vector<std::string> out;
        for (const auto& item : items)
            out.push_back(item.plainText.value_or(item.displayText()));
        return out;
    };
    using Texts = std::vector<std::string>;
    EXPECT_EQ(store->search("").size(), 4u);
    EXPECT_EQ(texts(store->search("QUICK")), Texts{"a quick brown fox"});
    EXPECT_EQ(texts(store->search("KÖLN")), Texts{"Straße in Köln"});
    EXPECT_EQ(texts(store->search("report.pdf")), Texts{"/home/u/Report.PDF"});
    EXPECT_EQ(texts(store->search("2023-11-14")), Texts{"画像 – 2023-11-14 22:13:20"});
    EXPECT_EQ(texts(store->search(" ")).size(), 3u);  // the image's title has blanks too
    EXPECT_TRUE(store->search("zebra").empty());

    addText(*store, "zebra crossing");  // the list changed: new entries are found at once
    EXPECT_EQ(texts(store->search("zebra")), Texts{"zebra crossing"});
    icu::TimeZone::adoptDefault(icu::TimeZone::detectHostTimeZone());
}

TEST_F(HistoryStoreTest, ObserversSearchTheListTheyAreToldAbout) {
    auto store = openStore();
    addText(*store, "alpha");
    std::vector<std::size_t> seen;
    auto view = store->items().observeForView(
        [&](const std::vector<ClipboardItem>&) { seen.push_back(store->search("zebra").size()); });
    auto model = store->items().subscribe(
        [&](const std::vector<ClipboardItem>&) { seen.push_back(store->search("a").size()); });
    addText(*store, "zebra");
    EXPECT_EQ(seen, (std::vector<std::size_t>{1, 1, 2}));  // the model's first call is at once
}

TEST_F(HistoryStoreTest, GivesBackAnEntryAsContentWithItsImage) {
    auto store = openStore();
    ClipboardContent rich = textContent("caption");
    rich.html = "<i>caption</i>";
    rich.image = imageContent().image;
    rich.sourceBundleID = "org.example.Viewer";
    store->add(rich, {});
    const auto item = store->items()->front();
    auto content = store->content(item);
    EXPECT_EQ(content.plainText, "caption");
    EXPECT_EQ(content.html, "<i>caption</i>");
    EXPECT_EQ(content.tags, rich.tags);
    EXPECT_EQ(content.pasteboardTypes, rich.pasteboardTypes);
    ASSERT_TRUE(content.image);
    EXPECT_EQ(content.image->encoded(), png);
    EXPECT_EQ(content.sourceBundleID, std::nullopt);

    fs::remove(directory / *item.imageFilename);
    EXPECT_FALSE(store->content(item).image);
}

TEST_F(HistoryStoreTest, SnapshotsRestoreEveryTypeByteForByte) {
    auto store = openStore();
    const std::string binary("\0\x01\xFF\0tail", 8);
    const PasteboardContents offered = {
        {"public.utf8-plain-text", "text"},
        {"public.html", "<b>text</b>"},
        {"application/x-private", binary},
        {"application/x-empty", ""},
    };
    store->add(textContent("text"), offered);
    const auto item = store->items()->front();
    const auto snapshot =
        nlohmann::json::parse(test_support::readFile(directory / (item.id + ".pboard")));
    EXPECT_EQ(snapshot["application/x-private"], "AAH/AHRhaWw=");

    pasteboard.simulateCopy(offeredText("something else"));
    ASSERT_TRUE(store->restoreToPasteboard(item));
    EXPECT_EQ(pasteboard.contents(), offered);
}

TEST_F(HistoryStoreTest, DamagedSnapshotsRestoreWhatTheyCanAndNeverTouchTheClipboardOtherwise) {
    auto store = openStore();
    store->add(textContent("text"), offeredText("text"));
    const auto item = store->items()->front();
    const fs::path file = directory / (item.id + ".pboard");
    const PasteboardContents before = {{"public.utf8-plain-text", "before"}};

    struct Case {
        std::string name;
        std::optional<std::string> file;
        std::optional<PasteboardContents> restored;
    };
    const std::vector<Case> cases = {
        {"one bad value", R"({"public.html":"PGI+","public.utf8-plain-text":"not base64!"})",
         PasteboardContents{{"public.html", "<b>"}}},
        {"array at the top", R"(["PGI+"])", std::nullopt},
        {"number values", R"({"public.html":5})", std::nullopt},
        {"nothing decodes", R"({"public.html":"%%%%"})", std::nullopt},
        {"not JSON", "{", std::nullopt},
        {"missing", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        fs::remove(file);
        if (c.file)
            test_support::writeFile(file, *c.file);
        pasteboard.simulateCopy(before);
        EXPECT_EQ(store->restoreToPasteboard(item), c.restored.has_value()) << c.name;
        EXPECT_EQ(pasteboard.contents(), c.restored.value_or(before)) << c.name;
    }

    store->add(textContent("no types"), {});
    EXPECT_FALSE(fs::exists(directory / (store->items()->front().id + ".pboard")));
}

TEST_F(HistoryStoreTest, RemovesAndClears) {
    auto store = openStore();
    store->add(imageContent(), {{"public.png", png}});
    addText(*store, "two");
    test_support::writeFile(directory / "orphan.png", png);
    const auto image = store->items().get()[1];

    store->remove(image);
    EXPECT_EQ(store->items()->size(), 1u);
    EXPECT_FALSE(fs::exists(directory / (image.id + ".png")));
    EXPECT_FALSE(fs::exists(directory / (image.id + ".pboard")));
    const auto fileBefore = test_support::readFile(store->historyFile());
    store->remove(image);  // no longer there
    EXPECT_EQ(test_support::readFile(store->historyFile()), fileBefore);

    store->clearAll();
    EXPECT_TRUE(store->items()->empty());
    EXPECT_EQ(test_support::readFile(store->historyFile()), "[]");
    EXPECT_EQ(filesEndingWith(".pboard"), 0u);
    EXPECT_TRUE(fs::exists(directory / "orphan.png"));
}

// Sets environment variables for one test and puts them back afterwards.
class ScopedEnvironment {
  public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value, 1);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) {
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            } else {
                ::unsetenv(it->first.c_str());
            }
        }
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(HistoryStoreDirectoryTest, FollowsXdgDataHome) {
    ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(HistoryStore::defaultDirectory(), fs::path("/data/home/Murvet"));
    environment.set("XDG_DATA_HOME", "relative");
    environment.set("HOME", "/home/someone");
    EXPECT_EQ(HistoryStore::defaultDirectory(), fs::path("/home/someone/.local/share/Murvet"));
}

}  // namespace
}  // namespace pindrake::clipboard
