#pragma once

#include <memory>
#include <string>

#include "AppFakes.h"
#include "app/model/HistoryViewModel.h"
#include "clipboard/HistoryStore.h"
#include "clipboard/PasteService.h"

namespace pindrake::app::test {

// The panel's world on fakes: a real store and monitor over an in-memory clipboard, a paste
// service whose Ctrl+V goes to the log, and converters that finish when the test says so.
// Entries with JSON text get the JSON converter; entries with text get the two AI converters.
class ViewModelFixture : public AppWorld {
  protected:
    ViewModelFixture() {
        monitor = clipboard::ClipboardMonitor::create(
            {main, pasteboard, workspace, codec, checksInLaterTurn},
            [this](clipboard::ClipboardContent content,
                   const platform::PasteboardContents& offered) {
                store.add(std::move(content), offered);
                store.flush();  // the files are on disk for tests that damage them
            });
        monitor->start();
        keys.onPaste = [this] { log.add("ctrl+v " + clipboardText()); };
    }

    std::shared_ptr<HistoryViewModel> makeViewModel() {
        return HistoryViewModel::create({main, store, pasteService, keys, workspace, conversion,
                                         entryReads,
                                         [this](const clipboard::ContentTags& tags,
                                                const std::set<std::string>&, bool, bool hasText) {
                                             ++candidateCalls;
                                             HistoryViewModel::ConverterList list{&asIs};
                                             if (tags.contains(clipboard::ContentTag::json))
                                                 list.push_back(&prettify);
                                             if (hasText) {
                                                 list.push_back(&summarize);
                                                 list.push_back(&translate);
                                             }
                                             return list;
                                         }});
    }

    // Copies the action entry and lets its read and its write run: whether it reached the
    // clipboard.
    bool copySelected() {
        bool copied = false;
        vm->copySelected(monitor, [&copied] { copied = true; });
        main.runUntilIdle();
        return copied;
    }

    std::vector<std::string> shownTexts() const {
        std::vector<std::string> texts;
        for (const auto& item : *vm->filteredItems.get())
            texts.push_back(item.plainText.value_or("?"));
        return texts;
    }
    std::vector<std::string> candidateIds() const {
        std::vector<std::string> ids;
        for (const auto* c : vm->converterCandidates.get())
            ids.push_back(c->id());
        return ids;
    }

    clipboard::HistoryStore store{folder.path(), {main, defaults, *codec}};
    clipboard::PasteService pasteService{
        {main, pasteboard, keys, *codec,
         [this](std::function<void()> read) { pasteReads(std::move(read)); }}};
    std::shared_ptr<clipboard::ClipboardMonitor> monitor;
    FakeConverter asIs{"paste.asis"};
    FakeConverter prettify{"json.prettify"};
    FakeConverter summarize{"ai.summarize"};
    FakeConverter translate{"ai.translate"};
    int candidateCalls = 0;
    // Where the model reads a conversion's input: a later turn of the main queue, unless a test
    // runs the reads itself.
    std::function<void(std::function<void()>)> entryReads = checksInLaterTurn;
    // Where the paste service reads an entry; the same unless a test holds the reads.
    std::function<void(std::function<void()>)> pasteReads = checksInLaterTurn;
    std::shared_ptr<HistoryViewModel> vm;
};

}  // namespace pindrake::app::test
