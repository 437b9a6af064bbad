#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/model/ApplicationShell.h"
#include "app/model/PanelWindow.h"
#include "clipboard/ClipboardMonitor.h"
#include "converters/Converter.h"
#include "foundation/ManualScheduler.h"
#include "platform/Workspace.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/FakeLanguageModel.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/RecordingKeySynth.h"
#include "support/TestFiles.h"

namespace pindrake::app::test {

// What happened, in order, with the virtual time it happened at; shared by the fakes of one test.
class EventLog {
  public:
    explicit EventLog(const ManualScheduler& main) : main_(main) {}

    void add(std::string event) { events_.emplace_back(main_.now(), std::move(event)); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& [at, name] : events_)
            out.push_back(name);
        return out;
    }
    // When the event last happened; none when it never did.
    std::optional<TimePoint> timeOf(const std::string& name) const {
        for (auto it = events_.rbegin(); it != events_.rend(); ++it) {
            if (it->second == name)
                return it->first;
        }
        return std::nullopt;
    }
    void clear() { events_.clear(); }

  private:
    const ManualScheduler& main_;
    std::vector<std::pair<TimePoint, std::string>> events_;
};

// A panel window whose fades end on the virtual clock, so races with them can be staged.
class FakePanelWindow final : public PanelWindow {
  public:
    FakePanelWindow(ManualScheduler& main, EventLog& log) : main_(main), log_(log) {}

    void create(const Rect& frame, std::function<void()> onResignKey) override {
        ++creations;
        frame_ = frame;
        onResignKey_ = std::move(onResignKey);
    }
    bool hasContent() const override { return hasContent_; }
    void buildContent() override {
        hasContent_ = true;
        log_.add("build content");
    }
    void releaseContent() override {
        hasContent_ = false;
        log_.add("release content");
    }
    std::optional<Rect> mainScreenFrame() const override { return screen; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override { frame_ = frame; }
    void setAlpha(double value) override { alpha = value; }
    void makeKeyAndOrderFront() override {
        isVisible = true;
        log_.add("panel front");
    }
    void orderOut() override {
        isVisible = false;
        log_.add("panel out");
    }
    void fadeTo(double target, Duration duration, Easing, std::function<void()> done) override {
        log_.add(target > 0 ? "fade in" : "fade out");
        main_.postAfter(duration, [this, target, done = std::move(done)] {
            alpha = target;
            done();
        });
    }
    void afterNextFrame(std::function<void()> then) override {
        afterFrame_.push_back(std::move(then));
    }
    void showOverlay(std::function<void()> onOutsideClick) override {
        onOutsideClick_ = std::move(onOutsideClick);
        log_.add("overlay on");
    }
    void removeOverlay() override {
        onOutsideClick_ = nullptr;
        log_.add("overlay off");
    }

    bool hasOverlay() const { return onOutsideClick_ != nullptr; }
    void clickOutside() { onOutsideClick_(); }
    void loseKeyFocus() { onResignKey_(); }
    // The display has shown a frame: what waited for it runs on a later turn.
    void presentFrame() {
        for (auto& then : std::exchange(afterFrame_, {}))
            main_.post(std::move(then));
    }

    std::optional<Rect> screen = Rect{0, 0, 1440, 900};
    double alpha = 1;
    bool isVisible = false;
    int creations = 0;

  private:
    ManualScheduler& main_;
    EventLog& log_;
    Rect frame_;
    bool hasContent_ = false;
    std::function<void()> onResignKey_;
    std::function<void()> onOutsideClick_;
    std::vector<std::function<void()>> afterFrame_;
};

class FakeApplicationShell final : public ApplicationShell {
  public:
    explicit FakeApplicationShell(EventLog& log) : log_(log) {}

    void activate() override { log_.add("activate self"); }
    void openSettingsWindow() override { log_.add("open settings"); }
    bool raiseSettingsWindow() override {
        ++raiseAttempts;
        return settingsWindowExists;
    }
    void closeSettingsWindow() override { log_.add("close settings"); }
    void showAbout() override { log_.add("about"); }
    void terminate() override { log_.add("terminate"); }
    void showPasteUnavailableNotice() override { log_.add("paste unavailable notice"); }

    bool settingsWindowExists = false;
    int raiseAttempts = 0;

  private:
    EventLog& log_;
};

// A desktop whose frontmost application the test chooses; activations go to the log.
class LoggingWorkspace final : public platform::Workspace {
  public:
    explicit LoggingWorkspace(EventLog& log) : log_(log) {}

    std::optional<platform::RunningApplication> frontmostApplication() const override {
        return frontmost;
    }
    void activate(const platform::RunningApplication& application) override {
        log_.add("activate " + application.bundleIdentifier.value_or("?"));
        frontmost = application;
    }

    std::optional<platform::RunningApplication> frontmost;

  private:
    EventLog& log_;
};

// A converter whose conversions end when the test says so.
class FakeConverter final : public converters::Converter {
  public:
    explicit FakeConverter(std::string id) : Converter(std::move(id), "icon", {}) {}

    std::string_view titleKey() const override { return "title"; }
    void convert(clipboard::ClipboardContent input, const converters::ConversionServices& services,
                 converters::ConversionCompletion done) const override {
        pending.emplace_back(std::move(input), std::move(done));
        stops.push_back(services.stop);
        ++calls;
    }

    // Ends the oldest running conversion with `text`, or with its input when none is given.
    void finish(std::optional<std::string> text) const {
        auto [input, done] = std::move(pending.front());
        pending.pop_front();
        if (!text) {
            done(std::move(input));
            return;
        }
        clipboard::ClipboardContent result;
        result.plainText = std::move(text);
        result.tags = {clipboard::ContentTag::plainText};
        done(std::move(result));
    }

    mutable std::deque<std::pair<clipboard::ClipboardContent, converters::ConversionCompletion>>
        pending;
    mutable int calls = 0;
    // The stop token each conversion was given.
    mutable std::vector<CancellationToken> stops;
};

// What every app test shares: the virtual clock, the log, the desktop's fakes and a folder.
class AppWorld : public ::testing::Test {
  protected:
    AppWorld() { workspace.frontmost = editor; }

    // Another application copies `text`; a monitor captures it at its next poll.
    void copy(const std::string& text) {
        pasteboard.simulateCopy({{"public.utf8-plain-text", text}, {"text/x-origin", "app"}});
        main.advance(clipboard::ClipboardMonitor::pollInterval);
    }
    std::string clipboardText() const {
        const auto* text = pasteboard.contents().data("public.utf8-plain-text");
        return text ? *text : "<none>";
    }
    // Copies the texts oldest first, so the history lists them in reverse.
    void copyAll(std::initializer_list<std::string> texts) {
        for (const auto& text : texts)
            copy(text);
    }

    ManualScheduler main;
    EventLog log{main};
    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    LoggingWorkspace workspace{log};
    const std::shared_ptr<const platform::FakeImageCodec> codec =
        std::make_shared<const platform::FakeImageCodec>();
    platform::RecordingKeySynth keys;
    // The services a conversion gets; the fake converters use none of them.
    // A capture's checks run in a later turn of the main queue, so a poll still captures.
    const std::function<void(std::function<void()>)> checksInLaterTurn =
        [this](std::function<void()> job) { main.post(std::move(job)); };
    converters::ConversionWorkers conversionWorkers{"conversions", 1};
    converters::ConversionServices conversion{main,
                                              conversionWorkers,
                                              std::make_shared<platform::FakeTextRecognizer>(),
                                              std::make_shared<platform::FakeLanguageModel>(),
                                              nullptr,
                                              "en_US",
                                              {}};
    test_support::TemporaryDirectory folder;
    const platform::RunningApplication editor{"Editor", 42};
};

}  // namespace pindrake::app::test
