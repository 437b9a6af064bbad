#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/inotify.h>
#include <unicode/timezone.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <set>

#include "clipboard/HistoryStore.h"
#include "clipboard/SetAsideHistory.h"
#include "foundation/ManualScheduler.h"
#include "foundation/Uuid.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "support/MainQueueWaits.h"
#include "support/RepeatedText.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

namespace fs = std::filesystem;
using platform::FakeImageCodec;
using platform::PasteboardContents;

const std::string png = std::string(FakeImageCodec::pngSignature) + "pixels";
const std::string someId = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

ClipboardContent textContent(std::string text) {
    ClipboardContent content;
    content.plainText = std::move(text);
    content.tags = {ContentTag::plainText};
    content.pasteboardTypes = {"public.utf8-plain-text"};
    return content;
}

class HistoryStoreTest : public ::testing::Test {
  protected:
    std::unique_ptr<HistoryStore> openStore() {
        return std::make_unique<HistoryStore>(
            directory, HistoryStore::Services{main, defaults, codec, [this] { return now; }});
    }

    void addText(HistoryStore& store, const std::string& text) {
        store.add(textContent(text), {{"public.utf8-plain-text", text}});
        now.secondsSinceReferenceDate += 1;
        store.flush();
    }

    void addImage(HistoryStore& store) {
        ClipboardContent content;
        content.image = codec.decode(png);
        content.pasteboardTypes = {"public.png"};
        store.add(content, {{"public.png", png}});
        store.flush();
    }

    void writeHistory(const std::string& json) {
        fs::create_directories(directory);
        test_support::writeFile(directory / "history.json", json);
    }

    std::size_t filesEndingWith(std::string_view suffix) const {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(directory))
            count += entry.path().filename().string().ends_with(suffix);
        return count;
    }

    test_support::TemporaryDirectory temporary;
    fs::path directory = temporary.path() / "data" / "Murvet";
    ManualScheduler main;
    platform::InMemoryDefaults defaults;
    FakeImageCodec codec;
    Date now{700000000.5};
};

// The exact layout of an entry is held by the history file's own test; this one holds what the
// store puts in it, and that the folder and its files stay private.
TEST_F(HistoryStoreTest, SavesEntriesPrivatelyWithUpperCaseIdsAndTheClockAndReloadsThem) {
    fs::create_directories(directory);
    fs::permissions(directory, fs::perms(0755));
    auto store = openStore();
    ClipboardContent rich = textContent("# Title");
    rich.html = "<h1>Title</h1>";
    rich.tags = {ContentTag::markdown};
    rich.sourceBundleID = "org.example.Editor";
    store->add(rich, {{"public.utf8-plain-text", "# Title"}});
    now.secondsSinceReferenceDate = 700000001.25;
    addImage(*store);

    const auto json = nlohmann::json::parse(test_support::readFile(store->historyFile()));
    ASSERT_EQ(json.size(), 2u);
    const auto id = json[0]["id"].get<std::string>();
    EXPECT_EQ(id.size(), 36u);
    EXPECT_TRUE(std::ranges::none_of(id, [](char c) { return c >= 'a' && c <= 'z'; })) << id;
    EXPECT_EQ(json[0]["imageFilename"], id + ".png");
    EXPECT_EQ(json[0]["createdAt"], 700000001.25);
    EXPECT_FALSE(json[0].contains("plainText") || json[0].contains("sourceBundleID"));
    EXPECT_EQ(json[1]["createdAt"], 700000000.5);
    EXPECT_EQ(json[1]["sourceBundleID"], "org.example.Editor");

    // Nothing half-written is left behind.
    EXPECT_EQ(test_support::permissions(directory), 0700u);
    EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator()), 4);
    for (const auto& file : fs::directory_iterator(directory))
        EXPECT_EQ(test_support::permissions(file.path()), 0600u) << file.path();

    const auto saved = store->items().get();
    store.reset();
    EXPECT_EQ(openStore()->items().get(), saved);
}

TEST_F(HistoryStoreTest, AddDropsATextEqualToTheNewestOnlyAndSharesTheEntriesItKeeps) {
    auto store = openStore();
    addText(*store, "é");
    const auto fileBefore = test_support::readFile(store->historyFile());
    addText(*store, "e\u0301");  // the same text, decomposed
    EXPECT_EQ(test_support::readFile(store->historyFile()), fileBefore);
    EXPECT_EQ(filesEndingWith(".pboard"), 1u);

    addText(*store, "B");
    addText(*store, "é");
    addImage(*store);  // images are never duplicates
    addImage(*store);
    EXPECT_EQ(store->items()->size(), 5u);
    EXPECT_EQ(filesEndingWith(".png"), 2u);
    EXPECT_EQ(filesEndingWith(".pboard"), 5u);

    // A change costs the same whatever the history holds: the new list shares the entries it
    // keeps, and a paste right after a copy finds the snapshot the writer may not have written.
    const auto kept = store->items()->entries().front();
    store->add(textContent("new"), {{"public.utf8-plain-text", "new"}});
    EXPECT_EQ(store->items()->entries().at(1), kept);
    EXPECT_EQ(store->snapshotReader(store->items()->front().id)(),
              (PasteboardContents{{"public.utf8-plain-text", "new"}}));

    // An older entry that is the newest again, after a removal or a restart, is compared too.
    addText(*store, "café");
    addText(*store, "newer");
    store->remove(store->items()->front());
    const std::size_t size = store->items()->size();
    addText(*store, "cafe\u0301");
    EXPECT_EQ(store->items()->size(), size);
    store = openStore();
    addText(*store, "cafe\u0301");
    EXPECT_EQ(store->items()->size(), size);
    addText(*store, "caf");
    EXPECT_EQ(store->items()->size(), size + 1);
}

TEST_F(HistoryStoreTest, TheLimitComesFromTheUserSettingAndTrimsAtTheNextAdd) {
    using Value = std::optional<platform::Defaults::Value>;
    // Unset or zero: the default; clamped to 100..2000; a fraction is cut; other types ignored.
    const std::vector<std::pair<Value, std::size_t>> cases = {{std::nullopt, 500},
                                                              {std::int64_t{0}, 500},
                                                              {std::int64_t{-3}, 100},
                                                              {std::int64_t{101}, 101},
                                                              {std::int64_t{5000}, 2000},
                                                              {std::string("700"), 500},
                                                              {true, 500},
                                                              {150.7, 150}};
    for (const auto& [stored, limit] : cases) {
        platform::InMemoryDefaults settings;
        if (stored)
            settings.set(HistoryStore::maxHistoryItemsKey, *stored);
        EXPECT_EQ(HistoryStore::historyLimit(settings), limit);
    }

    // A loaded history longer than the limit is trimmed only by the next add.
    std::string file = "[";
    for (int i = 0; i < 800; ++i)
        file += (i ? R"(,{"id":")" : R"({"id":")") + makeUuid() + R"(","createdAt":1})";
    writeHistory(file + "]");
    auto store = openStore();
    EXPECT_EQ(store->items()->size(), 800u);
    addText(*store, "one more");
    EXPECT_EQ(openStore()->items()->size(), 500u);
}

// A history that cannot be read is moved aside once and never overwritten; the entry files it
// may name stay, only the temporary files of interrupted writes go.
TEST_F(HistoryStoreTest, AnUnreadableHistoryIsKeptAsideWithTheFilesItMayName) {
    const std::string damaged = R"([{"id":")" + someId + R"(","createdAt":)";
    writeHistory(damaged);
    test_support::writeFile(directory / (someId + ".pboard"), "{}");
    test_support::writeFile(directory / ".history.json.Ab12Cd", "[");
    now = Date::fromUnixSeconds(1700000000);  // 2023-11-14 22:13:20 UTC
    auto store = openStore();
    store->flush();
    EXPECT_TRUE(store->items()->empty());
    const fs::path aside = directory / "history.json.corrupt-20231114T221320Z";
    EXPECT_EQ(test_support::readFile(aside), damaged);
    EXPECT_FALSE(fs::exists(directory / "history.json"));
    EXPECT_TRUE(fs::exists(directory / (someId + ".pboard")));
    EXPECT_FALSE(fs::exists(directory / ".history.json.Ab12Cd"));

    addText(*store, "new");
    const auto saved = nlohmann::json::parse(test_support::readFile(directory / "history.json"));
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]["plainText"], "new");
    addText(*store, "newer");  // moved aside once only
    EXPECT_EQ(test_support::readFile(aside), damaged);
    EXPECT_EQ(filesEndingWith("Z"), 1u);
}

// A planted link may point anywhere; its target is never pasted, shown or read.
TEST_F(HistoryStoreTest, LinksPlantedInTheFolderAreNeverFollowed) {
    writeHistory(R"([{"id":")" + someId + R"(","createdAt":1,"imageFilename":")" + someId +
                 R"(.png"}])");
    const fs::path outside = temporary.path() / "outside";
    fs::create_directories(outside);
    test_support::writeFile(outside / "secret.pboard", R"({"public.utf8-plain-text":"c2VjcmV0"})");
    test_support::writeFile(outside / "secret.png", png);
    fs::create_symlink(outside / "secret.pboard", directory / (someId + ".pboard"));
    fs::create_symlink(outside / "secret.png", directory / (someId + ".png"));
    auto store = openStore();
    const ClipboardItem item = store->items()->front();
    ASSERT_EQ(item.imageFilename, someId + ".png");
    EXPECT_EQ(store->snapshotReader(item.id)(), std::nullopt);
    EXPECT_FALSE(store->content(item).image);

    // Removing the entry removes the links, never what they point at.
    store->remove(item);
    store->flush();
    EXPECT_TRUE(fs::exists(outside / "secret.pboard") && fs::exists(outside / "secret.png"));
}

// What interrupted writes left and files of entries that are gone are removed at start; entries
// the history cannot take are kept aside; everything else in the folder is left alone.
TEST_F(HistoryStoreTest, StartUpRemovesLeftoversAndKeepsDroppedEntries) {
    const std::string orphan = "0E9A5C2E-8D8B-4C1F-9E57-0A4C1A2B3C4D";
    writeHistory(R"([{"id":")" + someId + R"(","createdAt":1,"plainText":"kept"},)" +
                 R"({"id":"not an id","createdAt":2},)" + R"({"id":")" + someId +
                 R"(","createdAt":3,"plainText":"twin"}])");
    const std::vector<std::string> leftovers = {orphan + ".pboard", orphan + ".png",
                                                ".history.json.Ab12Cd",
                                                "." + someId + ".pboard.x9Y8z7"};
    const std::vector<std::string> keptFiles = {someId + ".pboard", "notes.txt",
                                                "history.json.corrupt-20200101T000000Z",
                                                ".hidden.Ab12Cd", "not-an-id.pboard"};
    for (const auto& name : leftovers)
        test_support::writeFile(directory / name, "old clipboard text");
    for (const auto& name : keptFiles)
        test_support::writeFile(directory / name, "x");
    now = Date::fromUnixSeconds(1700000000);  // 2023-11-14 22:13:20 UTC

    auto store = openStore();
    store->flush();
    ASSERT_EQ(store->items()->size(), 1u);
    EXPECT_EQ(store->items()->front().plainText, "kept");
    for (const auto& name : leftovers)
        EXPECT_FALSE(fs::exists(directory / name)) << name;
    for (const auto& name : keptFiles)
        EXPECT_TRUE(fs::exists(directory / name)) << name;
    const auto dropped = nlohmann::json::parse(
        test_support::readFile(directory / "history.json.dropped-20231114T221320Z"));
    ASSERT_EQ(dropped.size(), 2u);
    EXPECT_EQ(dropped[0]["id"], "not an id");
    EXPECT_EQ(dropped[1]["plainText"], "twin");
}

// Entries kept in a set-aside file can still be recovered by hand, so their images and
// snapshots outlive every later start; only a real file in the folder counts, never a link.
TEST_F(HistoryStoreTest, FilesOfSetAsideEntriesSurviveLaterStarts) {
    const std::string droppedId = "0E9A5C2E-8D8B-4C1F-9E57-0A4C1A2B3C4D";
    const std::string corruptId = "1B2C3D4E-5F60-4172-8394-A5B6C7D8E9F0";
    const std::string linkedId = "2C3D4E5F-6071-4283-94A5-B6C7D8E9F0A1";
    const std::string orphanId = "3D4E5F60-7182-4394-A5B6-C7D8E9F0A1B2";
    const auto entryFiles = [](const std::string& id) {
        return std::vector<std::string>{id + ".png", id + ".pboard"};
    };
    // Not an entry (its date is a string), so it is dropped into a file of its own.
    writeHistory(R"([{"id":")" + someId + R"(","createdAt":1},{"id":")" + droppedId +
                 R"(","createdAt":"yesterday","imageFilename":")" + droppedId + R"(.png"}])");
    fs::create_directories(directory / "history.json.corrupt-20200101T000000Z");
    const fs::path outside = temporary.path() / "planted.json";
    test_support::writeFile(outside, R"([{"id":")" + linkedId + R"("}])");
    fs::create_symlink(outside, directory / "history.json.dropped-20200101T000000Z");
    for (const auto& id : {someId, droppedId, linkedId, orphanId})
        for (const auto& name : entryFiles(id))
            test_support::writeFile(directory / name, "x");

    // Two starts: the first sets the damaged entry aside, the second reads only what is set aside.
    for (int start = 1; start <= 2; ++start) {
        auto store = openStore();
        store->flush();
        for (const auto& id : {someId, droppedId})
            for (const auto& name : entryFiles(id))
                EXPECT_TRUE(fs::exists(directory / name)) << name << " at start " << start;
        for (const auto& id : {linkedId, orphanId})
            for (const auto& name : entryFiles(id))
                EXPECT_FALSE(fs::exists(directory / name)) << name << " at start " << start;
    }

    // A damaged history set aside at one start keeps its entries' files at the next ones.
    writeHistory(R"([{"id":")" + corruptId + R"(","createdAt":)");
    for (const auto& name : entryFiles(corruptId))
        test_support::writeFile(directory / name, "x");
    now = Date::fromUnixSeconds(1700000000);
    for (int start = 1; start <= 2; ++start) {
        auto store = openStore();
        addText(*store, "new at start " + std::to_string(start));
    }
    EXPECT_TRUE(fs::exists(directory / "history.json.corrupt-20231114T221320Z"));
    for (const auto& name : entryFiles(corruptId))
        EXPECT_TRUE(fs::exists(directory / name)) << name;
}

// Ids are found by their shape in any text, in any case; a set-aside file too long to read
// whole leaves nothing known, so nothing may be removed.
TEST_F(HistoryStoreTest, SetAsideFilesNameTheIdsTheyHoldAndAreReadWithinABound) {
    const struct {
        std::string text;
        std::set<std::string, std::less<>> ids;
    } cases[] = {
        {R"({"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","createdAt":)",
         {"6F9619FF-8B86-D011-B42D-00C04FC964FF"}},
        {"0E9A5C2E-8D8B-4C1F-9E57-0A4C1A2B3C4D1B2C3D4E-5F60-4172-8394-A5B6C7D8E9F0",
         {"0E9A5C2E-8D8B-4C1F-9E57-0A4C1A2B3C4D", "1B2C3D4E-5F60-4172-8394-A5B6C7D8E9F0"}},
        {"x0E9A5C2E-8D8B-4C1F-9E57-0A4C1A2B3C4", {}},
        {"0E9A5C2E-8D8B-4C1F-9E57_0A4C1A2B3C4D 0E9A5C2G-8D8B-4C1F-9E57-0A4C1A2B3C4D", {}},
    };
    for (const auto& [text, ids] : cases) {
        std::set<std::string, std::less<>> found;
        set_aside_history::collectIds(text, found);
        EXPECT_EQ(found, ids) << text;
    }

    fs::create_directories(directory);
    test_support::writeFile(directory / "history.json.dropped-20200101T000000Z",
                            "[\"" + someId + "\"]");
    test_support::writeFile(directory / "history.json.corrupt-20200101T000000Z",
                            "[\"" + someId + "\"]");
    test_support::writeFile(directory / "history.jsonx", "0E9A5C2E-8D8B-4C1F-9E57-0A4C1A2B3C4D");
    const auto whole = set_aside_history::namedEntries(directory, "history.json", 80);
    EXPECT_TRUE(whole.complete);
    EXPECT_EQ(whole.ids, (std::set<std::string, std::less<>>{someId}));
    EXPECT_FALSE(set_aside_history::namedEntries(directory, "history.json", 79).complete);
}

TEST_F(HistoryStoreTest, SearchesTextAndTitlesIgnoringCase) {
    // An image's title shows its local creation time.
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("Asia/Tokyo"));
    auto store = openStore();
    addText(*store, "a quick brown fox");
    addText(*store, "Straße in Köln");
    ClipboardContent file = textContent("/home/u/Report.PDF");
    file.pasteboardTypes = {"public.file-url"};
    store->add(file, {{"public.file-url", "file:///home/u/Report.PDF"}});
    now = Date::fromUnixSeconds(1700000000);  // 2023-11-14 22:13:20 UTC
    addImage(*store);

    const auto texts = [&](std::string_view query) {
        std::vector<std::string> out;
        for (const auto& item : store->search(query))
            out.push_back(item.plainText.value_or(item.displayText()));
        return out;
    };
    using Texts = std::vector<std::string>;
    EXPECT_EQ(texts("").size(), 4u);
    EXPECT_EQ(texts("QUICK"), Texts{"a quick brown fox"});
    EXPECT_EQ(texts("KÖLN"), Texts{"Straße in Köln"});
    EXPECT_EQ(texts("report.pdf"), Texts{"/home/u/Report.PDF"});
    EXPECT_EQ(texts("2023-11-15"), Texts{"画像 – 2023-11-15 07:13:20"});
    EXPECT_TRUE(texts("zebra").empty());

    // The title follows the time zone in force at each search.
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("UTC"));
    EXPECT_TRUE(texts("2023-11-15").empty());
    EXPECT_EQ(texts("2023-11-14"), Texts{"画像 – 2023-11-14 22:13:20"});
    icu::TimeZone::adoptDefault(icu::TimeZone::detectHostTimeZone());
}

// Entries are told apart by themselves, not by their ids: two entries sharing an id, or a list
// that gives an id another text, never get an answer meant for another entry. Observers search
// the list they are told about.
TEST_F(HistoryStoreTest, SearchAnswersForTheEntriesOfTheListInForceOnly) {
    auto store = openStore();
    const auto entry = [](std::string text) {
        ClipboardItem item;
        item.id = someId;
        item.plainText = std::move(text);
        return item;
    };
    store->items() = HistoryList(std::vector<ClipboardItem>{entry("alpha"), entry("beta")});
    EXPECT_EQ(store->search("alpha").size(), 1u);
    EXPECT_EQ(store->search("beta").size(), 1u);
    store->items() = HistoryList(std::vector<ClipboardItem>{entry("gamma")});
    EXPECT_TRUE(store->search("alpha").empty());
    EXPECT_EQ(store->search("gamma").size(), 1u);

    std::vector<std::size_t> seen;
    auto view = store->items().observeForView(
        [&](const HistoryList&) { seen.push_back(store->search("zebra").size()); });
    auto model = store->items().subscribe(
        [&](const HistoryList&) { seen.push_back(store->search("a").size()); });
    addText(*store, "zebra");
    EXPECT_EQ(seen, (std::vector<std::size_t>{1, 1, 2}));  // the model's first call is at once
}

TEST_F(HistoryStoreTest, DamagedFilesRestoreWhatTheyCanAndNothingOtherwise) {
    auto store = openStore();
    ClipboardContent captioned = textContent("text");
    captioned.image = codec.decode(png);
    store->add(captioned, {{"public.utf8-plain-text", "text"}});
    store->flush();
    const auto item = store->items()->front();
    fs::remove(directory / *item.imageFilename);
    EXPECT_FALSE(store->content(item).image);

    const fs::path file = directory / (item.id + ".pboard");
    // A type that does not decode is left out; a snapshot with nothing whole restores nothing.
    std::vector<std::pair<std::optional<std::string>, std::optional<PasteboardContents>>> cases = {
        {R"({"public.html":"PGI+","public.utf8-plain-text":"not base64!"})",
         PasteboardContents{{"public.html", "<b>"}}}};
    for (const char* unusable :
         {R"(["PGI+"])", R"({"public.html":5})", R"({"public.html":"%%%%"})", "{"})
        cases.emplace_back(unusable, std::nullopt);
    cases.emplace_back(std::nullopt, std::nullopt);
    for (const auto& [snapshot, restored] : cases) {
        fs::remove(file);
        if (snapshot)
            test_support::writeFile(file, *snapshot);
        EXPECT_EQ(store->snapshotReader(item.id)(), restored) << snapshot.value_or("");
    }

    store->add(textContent("no types"), {});
    store->flush();
    EXPECT_FALSE(fs::exists(directory / (store->items()->front().id + ".pboard")));
}

// Trimming, removing and clearing take the files of the entries they drop, and only those. A
// kill between the two never leaves a history naming files that are gone: the files of an
// entry go only after a history without it has replaced the old one.
TEST_F(HistoryStoreTest, EntryFilesGoOnlyAfterTheHistoryNoLongerNamesThem) {
    defaults.set(HistoryStore::maxHistoryItemsKey, std::int64_t{100});
    struct Case {
        std::string name;
        std::function<void(HistoryStore&)> drop;
        std::size_t left;
    };
    const std::vector<Case> cases = {
        {"trim", [this](HistoryStore& store) { addText(store, "one too many"); }, 100},
        {"remove", [](HistoryStore& store) { store.remove(store.items()->back()); }, 99},
        {"clear all", [](HistoryStore& store) { store.clearAll(); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        directory = temporary.path() / c.name;
        auto store = openStore();
        addImage(*store);  // the oldest entry
        const std::string id = store->items()->front().id;
        for (int i = 1; i < 100; ++i)
            addText(*store, "text " + std::to_string(i));
        test_support::writeFile(directory / "orphan.png", png);

        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(::inotify_add_watch(watch, directory.c_str(), IN_MOVED_TO | IN_DELETE), 0);
        c.drop(*store);
        store->flush();
        std::vector<std::string> events;
        alignas(inotify_event) char buffer[1 << 16];
        for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                events.push_back((event->mask & IN_DELETE ? "removed " : "replaced ") +
                                 std::string(event->name));
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        ::close(watch);
        const auto position = [&](const std::string& event) {
            return std::find(events.begin(), events.end(), event) - events.begin();
        };
        const auto saved = position("replaced history.json");
        ASSERT_LT(saved, std::ssize(events)) << testing::PrintToString(events);
        EXPECT_LT(saved, position("removed " + id + ".png")) << testing::PrintToString(events);
        EXPECT_LT(saved, position("removed " + id + ".pboard")) << testing::PrintToString(events);

        EXPECT_EQ(store->items()->size(), c.left);
        EXPECT_EQ(openStore()->items()->size(), c.left);
        EXPECT_EQ(filesEndingWith(".pboard"), c.left);
        EXPECT_EQ(filesEndingWith(".png"), 1u);  // only files of entries are removed
        EXPECT_TRUE(fs::exists(directory / "orphan.png"));
    }
}

// A history's cost in memory follows what the panel shows: a text over 64 KiB is kept in a file of
// its own and the list holds its first 64 KiB, whether it was copied now or loaded from a history
// that held it whole. Reads give it back whole, and a copy of it again is still a repeat.
TEST_F(HistoryStoreTest, LargeTextsLiveInFilesOfTheirOwnAndReadBackWhole) {
    const std::string large = test_support::repeatedText("日本語の長い行\n", 256 * 1024) + "末";
    const std::string html = "<p>" + large + "</p>";
    const std::string olderForm =
        nlohmann::json::array(
            {{{"id", someId}, {"createdAt", 1.0}, {"plainText", large}, {"htmlText", html}}})
            .dump();
    writeHistory(olderForm);
    auto store = openStore();
    addText(*store, "small");
    addText(*store, "e\u0301" + large);
    for (const auto& entry : store->items()->entries()) {
        const std::string& whole = entry->plainText == "small" ? "small" : *entry->plainText;
        const ClipboardContent read = store->contentReader(entry)();
        EXPECT_LE(entry->plainText->size(), 64u * 1024);
        EXPECT_TRUE(read.plainText->starts_with(*entry->plainText));
        EXPECT_EQ(read.plainText->ends_with("末"), entry->plainText != "small") << whole;
    }
    EXPECT_EQ(store->contentReader(store->items()->entries().back())().html, html);
    EXPECT_LT(test_support::readFile(store->historyFile()).size(), large.size());

    // A start reads nothing of the newest entry's text on the main thread: a copy waits until a
    // worker has worked out its identity, and one made after it waits behind it.
    const auto saved = store->items().get();
    store.reset();
    store = openStore();
    EXPECT_EQ(store->items().get(), saved);
    store->add(textContent("\u00e9" + large), {});
    store->add(textContent("new"), {});
    EXPECT_EQ(store->items()->size(), 3u);
    ASSERT_TRUE(test_support::runUntil(main, [&] { return store->items()->size() > 3; }));
    EXPECT_EQ(store->items()->front().plainText, "new");
    EXPECT_EQ(store->items()->size(), 4u);

    store->clearAll();
    store->flush();
    EXPECT_EQ(filesEndingWith("Text"), 0u);

    // A text whose file cannot be written stays whole in the history file.
    store.reset();
    fs::create_directories(directory / (someId + ".plainText") / "taken");
    writeHistory(olderForm);
    openStore().reset();
    fs::remove_all(directory / (someId + ".plainText"));
    store = openStore();
    EXPECT_TRUE(store->contentReader(store->items()->entries().front())().plainText == large);
}

// A text kept apart is read only as the history recorded it: a file replaced, cut short, grown
// or gone gives nothing of the entry (never another text, a cut one or its beginning), and the
// log says which entry and why. Checked after a restart, from what the history file recorded.
TEST_F(HistoryStoreTest, ATextKeptApartIsReadOnlyAsTheHistoryRecordedIt) {
    const std::string large = test_support::repeatedText("0123456789abcdef", 80000);
    struct Case {
        TextField damaged;
        std::optional<std::string> bytes;  // none: the file is removed
        std::string reason;
    };
    const std::string otherBytes = "its bytes are not the ones recorded";
    const std::vector<Case> cases = {
        {TextField::plainText, large.substr(1) + "0", otherBytes},
        {TextField::plainText, large.substr(0, 70000), "it holds 70000 bytes where 80000 bytes"},
        {TextField::plainText, large + "more", "it holds 80004 bytes where 80000 bytes"},
        {TextField::plainText, std::nullopt, "its file could not be read"},
        {TextField::htmlText, "<p>" + std::string(79993, 'x') + "</p>", otherBytes},
    };
    for (std::size_t index = 0; index < cases.size(); ++index) {
        const Case& c = cases[index];
        SCOPED_TRACE(c.bytes.value_or("(removed)").substr(0, 20) + " " + c.reason);
        directory = temporary.path() / std::to_string(index);
        auto store = openStore();
        ClipboardContent content = textContent(large);
        content.html = "<p>" + large.substr(7) + "</p>";
        store->add(content, {});
        const std::string id = store->items()->front().id;
        store.reset();
        const std::string file = id + std::string(LargeTexts::extension(c.damaged));
        c.bytes ? test_support::writeFile(directory / file, *c.bytes)
                : void(fs::remove(directory / file));

        store = openStore();
        testing::internal::CaptureStderr();
        const ClipboardContent read = store->contentReader(store->items()->entries().front())();
        const std::string logged = testing::internal::GetCapturedStderr();
        EXPECT_EQ(read, ClipboardContent{});
        EXPECT_NE(logged.find(file + " is not used: " + c.reason), std::string::npos) << logged;
    }
}

// A history written before checks were recorded reads its texts kept apart as they stand, and
// is saved with their checks at its first start, changing nothing else; from then on they are
// checked. Without a file to record, the history file is left as it is.
TEST_F(HistoryStoreTest, AnOlderHistoryRecordsTheChecksOfItsTextsAtItsFirstStart) {
    const std::string large = test_support::repeatedText("older text ", 70000);
    const auto older = nlohmann::json::array({{{"id", someId},
                                               {"createdAt", 1.0},
                                               {"tags", {"plainText"}},
                                               {"plainTextStart", large.substr(0, 64 * 1024)},
                                               {"pasteboardTypes", {"public.utf8-plain-text"}}}});
    writeHistory(older.dump());
    openStore()->flush();
    EXPECT_EQ(test_support::readFile(directory / "history.json"), older.dump());

    test_support::writeFile(directory / (someId + ".plainText"), large);
    auto store = openStore();
    EXPECT_EQ(store->contentReader(store->items()->entries().front())().plainText, large);
    store->flush();
    auto recorded = nlohmann::json::parse(test_support::readFile(store->historyFile())).at(0);
    EXPECT_EQ(recorded["plainTextLength"], large.size());
    EXPECT_EQ(recorded["plainTextDigest"].get<std::string>().size(), 32u);
    recorded.erase("plainTextLength");
    recorded.erase("plainTextDigest");
    EXPECT_EQ(recorded, older[0]);

    store.reset();
    test_support::writeFile(directory / (someId + ".plainText"), std::string(large.size(), 'x'));
    store = openStore();
    EXPECT_EQ(store->contentReader(store->items()->entries().back())(), ClipboardContent{});
}

TEST(HistoryStoreDirectoryTest, FollowsAnAbsoluteXdgDataHome) {
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    for (const char* name : {"XDG_DATA_HOME", "HOME"}) {
        const char* value = std::getenv(name);
        saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(HistoryStore::defaultDirectory(), fs::path("/data/home/Murvet"));
    ::setenv("XDG_DATA_HOME", "relative", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(HistoryStore::defaultDirectory(), fs::path("/home/someone/.local/share/Murvet"));
    for (const auto& [name, value] : saved)
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
}

}  // namespace
}  // namespace pindrake::clipboard
