#include "ShellFixture.h"
#include "converters/ConversionHelpers.h"

namespace pindrake::app::test {
namespace {

using namespace std::chrono_literals;

class PanelControllerTest : public ShellFixture {
  protected:
    void SetUp() override { launch(); }
    PanelController& panel() { return *delegate->panelController(); }
};

TEST_F(PanelControllerTest, ShowRemembersTheFrontApplicationAndFadesInCentredHigh) {
    panel().hidePanel(true);
    main.advance(1s);
    EXPECT_TRUE(log.names().empty()) << "a hide while hidden does nothing";

    panel().showPanel();
    EXPECT_EQ(log.names(),
              (std::vector<std::string>{"build content", "close settings", "overlay on",
                                        "activate self", "panel front", "fade in"}));
    EXPECT_TRUE(panel().isShowing());
    EXPECT_EQ(panel().previousFrontmostApp(), editor);
    EXPECT_EQ(window.creations, 1);
    // 1440 x 900: x = 720 - 394; the top edge 35% down the screen, less 60.
    EXPECT_EQ(window.frame(), (Rect{326, 255, 788, 60}));
    EXPECT_EQ(window.alpha, 0);
    main.advance(std::chrono::milliseconds(149));
    EXPECT_EQ(window.alpha, 0);
    main.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(window.alpha, 1);
}

TEST_F(PanelControllerTest, HeightReportsAreClampedAndKeepTheTopEdge) {
    panel().updateHeight(500);
    main.runUntilIdle();
    EXPECT_EQ(window.frame(), Rect{});  // never shown: no panel, no top edge

    panel().showPanel();
    struct Row {
        double height;
        std::optional<double> width;
        Rect expected;
    };
    const std::vector<Row> rows = {
        {500, std::nullopt, {326, 255, 788, 500}},
        {30, std::nullopt, {326, 255, 788, 60}},
        {900, std::nullopt, {326, 255, 788, 520}},
        {200, 600.0, {420, 255, 600, 200}},
    };
    for (const auto& row : rows) {
        const Rect before = window.frame();
        panel().updateHeight(row.height, row.width);
        EXPECT_EQ(window.frame(), before);  // on a later turn
        main.runUntilIdle();
        EXPECT_EQ(window.frame(), row.expected) << row.height;
    }
    window.screen.reset();
    panel().updateHeight(300);
    main.runUntilIdle();
    EXPECT_EQ(window.frame(), rows.back().expected);
}

TEST_F(PanelControllerTest, EachWayOfHidingReactivatesOnlyWhenItShould) {
    struct Row {
        const char* name;
        std::function<void()> hide;
        bool reactivates;
    };
    const std::vector<Row> rows = {
        {"hot key", [this] { pressHotKey(); }, true},
        {"outside click", [this] { window.clickOutside(); }, true},
        {"Escape", [this] { panel().hidePanel(true); }, true},
        {"focus moved away", [this] { window.loseKeyFocus(); }, false},
    };
    for (const auto& row : rows) {
        panel().showPanel();
        main.advance(1s);
        log.clear();
        row.hide();
        main.runUntilIdle();
        EXPECT_FALSE(panel().isShowing()) << row.name;
        EXPECT_FALSE(window.hasOverlay()) << row.name;
        EXPECT_FALSE(panel().previousFrontmostApp()) << row.name;
        EXPECT_EQ(log.timeOf("activate Editor").has_value(), row.reactivates) << row.name;
        // Faded out over 0.12 s.
        main.advance(std::chrono::milliseconds(119));
        EXPECT_TRUE(window.isVisible) << row.name;
        main.advance(std::chrono::milliseconds(1));
        EXPECT_FALSE(window.isVisible) << row.name;
        EXPECT_EQ(window.alpha, 1) << row.name;
        EXPECT_FALSE(window.hasContent()) << row.name;
    }
    EXPECT_EQ(window.creations, 1);
}

TEST_F(PanelControllerTest, AShowDuringTheFadeOutKeepsThePanelAndItsContent) {
    panel().showPanel();
    main.advance(1s);
    panel().hidePanel(true);
    main.advance(PanelController::fadeOutDuration / 2);
    panel().showPanel();
    main.advance(1s);
    EXPECT_TRUE(panel().isShowing());
    EXPECT_TRUE(window.isVisible);
    EXPECT_TRUE(window.hasContent());
    EXPECT_EQ(window.alpha, 1);

    // A hide then runs its full course again.
    panel().hidePanel(false);
    main.advance(1s);
    EXPECT_FALSE(window.isVisible);
    EXPECT_FALSE(window.hasContent());
}

// The helper the converters need starts only once the show's first frame is on the screen, so
// that the frame has the CPU to itself, and only for a show still open then.
TEST_F(PanelControllerTest, AHelperIsKeptWarmOnceTheShowsFirstFrameIsOnScreen) {
    conversion.helpers =
        std::make_shared<converters::ConversionHelpers>(PINDRAKE_CONVERSION_HELPER);
    const auto& helpers = *conversion.helpers;
    struct Row {
        const char* name;
        std::function<void()> beforeTheFrame;
        bool keptWarm;
    };
    const std::vector<Row> rows = {
        {"shown", [] {}, true},
        {"hidden before its frame", [this] { panel().hidePanel(false); }, false},
        {"hidden by a click outside", [this] { window.clickOutside(); }, false},
        {"hidden and shown again",
         [this] {
             panel().hidePanel(false);
             panel().showPanel();
         },
         true},
    };
    for (const auto& row : rows) {
        panel().showPanel();
        main.runUntilIdle();
        EXPECT_FALSE(helpers.keepsWarm()) << row.name << ": before the first frame";
        row.beforeTheFrame();
        window.presentFrame();
        main.runUntilIdle();
        EXPECT_EQ(helpers.keepsWarm(), row.keptWarm) << row.name;
        panel().hidePanel(false);
        EXPECT_FALSE(helpers.keepsWarm()) << row.name << ": after the hide";
        main.advance(1s);
    }
}

}  // namespace
}  // namespace pindrake::app::test
