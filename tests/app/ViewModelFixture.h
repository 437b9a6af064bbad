#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "AppFakes.h"
#include "app/model/HistoryViewModel.h"
#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryStore.h"
#include "clipboard/PasteService.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/RecordingKeySynth.h"
#include "support/TestFiles.h"

namespace pindrake::app::test {

// The panel's world on fakes: a real store and monitor over an in-memory clipboard, a paste
// service whose Ctrl+V goes to the log, and converters that finish when the test says so.
// Entries with JSON text get the JSON converter; entries with text get the two AI converters.
class ViewModelFixture : public ::testing::Test {
  protected:
    ViewModelFixture() {
        monitor = clipboard::ClipboardMonitor::create(
            {main, pasteboard, workspace, codec},
            [this](const clipboard::ClipboardContent& content,
                   const platform::PasteboardContents& offered) {
                store.add(content, offered);
                store.flush();  // the files are on disk for tests that damage them
            });
        monitor->start();
        keys.onPaste = [this] { log.add("ctrl+v " + clipboardText()); };
        workspace.frontmost = editor;
    }

    std::shared_ptr<HistoryViewModel> makeViewModel() {
        return HistoryViewModel::create({main, store, pasteService, keys, workspace,
                                         conversion.services,
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

    // Another application copies `text`; the monitor captures it at its next poll.
    void copy(const std::string& text) {
        pasteboard.simulateCopy({{"public.utf8-plain-text", text}, {"text/x-origin", "app"}});
        main.advance(clipboard::ClipboardMonitor::pollInterval);
    }
    // Copies the texts oldest first, so the history lists them in reverse.
    void copyAll(std::initializer_list<std::string> texts) {
        for (const auto& text : texts)
            copy(text);
    }

    std::string clipboardText() const {
        const auto* text = pasteboard.contents().data("public.utf8-plain-text");
        return text ? *text : "<none>";
    }

    ManualScheduler main;
    EventLog log{main};
    platform::InMemoryPasteboard pasteboard;
    LoggingWorkspace workspace{log};
    platform::RecordingKeySynth keys;
    platform::InMemoryDefaults defaults;
    platform::FakeImageCodec codec;
    test_support::TemporaryDirectory folder;
    clipboard::HistoryStore store{folder.path(), {defaults, pasteboard, codec}};
    clipboard::PasteService pasteService{{main, pasteboard, keys, codec}};
    std::shared_ptr<clipboard::ClipboardMonitor> monitor;
    ConversionFixture conversion{main};
    FakeConverter asIs{"paste.asis"};
    FakeConverter prettify{"json.prettify"};
    FakeConverter summarize{"ai.summarize"};
    FakeConverter translate{"ai.translate"};
    int candidateCalls = 0;
    const platform::RunningApplication editor{"Editor", 42};
};

}  // namespace pindrake::app::test
