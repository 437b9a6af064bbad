#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "foundation/Localization.h"
#include "support/HeldCall.h"

#include <cstdlib>
#include <memory>

namespace pindrake::converters {
namespace {

using clipboard::ClipboardContent;
using clipboard::ContentTag;
using testing::plainTextResult;
using testing::text;

ClipboardContent imageEntry() {
    ClipboardContent content;
    content.image = platform::Image("\x89PNG fake bytes", "png", 40, 20);
    content.pasteboardTypes = {"public.png"};
    return content;
}

using test_support::HeldCall;

class HeldEngine final : public platform::TextRecognizer, public platform::LanguageModel {
  public:
    explicit HeldEngine(std::shared_ptr<HeldCall> call) : call_(std::move(call)) {}
    ~HeldEngine() override { call_->noteDestroyed(); }

    std::optional<std::vector<std::string>> recognizeLines(
        std::string_view, const std::vector<std::string>&) override {
        call_->hold();
        return std::vector<std::string>{"recognised"};
    }
    std::optional<std::string> respond(const std::string&, const std::string&) override {
        call_->hold();
        return "answered";
    }

  private:
    std::shared_ptr<HeldCall> call_;
};

// At quit the services and their workers go while a recognition or a model's answer is still
// running; the main thread does not wait for it. The job keeps what it uses until it ends, and
// then neither posts to the main queue nor delivers.
TEST(RecognitionConvertersTest, AJobRunningWhenItsServicesGoOutlivesThemAndDeliversNothing) {
    const std::pair<std::string, ClipboardContent> jobs[] = {
        {"image.ocr", imageEntry()},
        {"ai.summarize", text("some text")},
        {"ai.translate", text("some text")},
    };
    for (const auto& [id, input] : jobs) {
        ManualScheduler main;
        const auto call = std::make_shared<HeldCall>();
        bool delivered = false;
        {
            const auto engine = std::make_shared<HeldEngine>(call);
            ConversionWorkers workers("converters.test", 1);
            const ConversionServices services{main, workers, engine, engine, nullptr, "en_US", {}};
            testing::ConverterHarness::named(id).convert(
                input, services, [&delivered](ClipboardContent) { delivered = true; });
            call->hasStarted.wait();
        }
        call->release.set_value();
        EXPECT_FALSE(call->destroyedInUse.get()) << id;
        EXPECT_EQ(main.pendingCount(), 0u) << id << " posted after its services went";
        main.runUntilIdle();
        EXPECT_FALSE(delivered) << id;
    }
}

TEST(RecognitionConvertersTest, RecognisedLinesAreJoinedOrTheImageComesBack) {
    testing::ConverterHarness harness;
    const auto& ocr = harness.named("image.ocr");
    const ClipboardContent image = imageEntry();
    const std::vector<std::pair<std::optional<std::vector<std::string>>, ClipboardContent>> cases =
        {
            {std::vector<std::string>{"first line", "\u65e5\u672c\u8a9e"},
             plainTextResult("first line\n\u65e5\u672c\u8a9e")},
            {std::vector<std::string>{}, image},  // no text in the picture
            {std::nullopt, image},                // the recogniser failed
        };
    for (const auto& [lines, expected] : cases) {
        harness.textRecognizer->answer = lines;
        EXPECT_EQ(harness.run(ocr, image), expected);
        EXPECT_EQ(harness.textRecognizer->lastImage, image.image->encoded());
        EXPECT_EQ(harness.textRecognizer->lastLanguages, (std::vector<std::string>{"ja", "en"}));
    }

    // An image entry whose picture is missing comes back as it is, the recogniser not asked.
    ClipboardContent withoutPicture = imageEntry();
    withoutPicture.image.reset();
    harness.textRecognizer->answer = std::vector<std::string>{"recognised"};
    harness.textRecognizer->lastLanguages.clear();
    EXPECT_EQ(harness.run(ocr, withoutPicture), withoutPicture);
    EXPECT_TRUE(harness.textRecognizer->lastLanguages.empty()) << "recognised no picture";
}

TEST(RecognitionConvertersTest, ModelAnswersAreTrimmedAndFailuresGiveTheInput) {
    testing::ConverterHarness harness;
    const ClipboardContent input = text("  some text  ", {ContentTag::plainText});
    const std::vector<std::pair<std::optional<std::string>, ClipboardContent>> cases = {
        {"\n A short answer.\n", plainTextResult("A short answer.")},
        {" \n\t", input},       // only white space counts as no answer
        {std::nullopt, input},  // the model failed or is unavailable, as on Linux
    };
    for (const std::string id : {"ai.summarize", "ai.translate"}) {
        for (const auto& [answer, expected] : cases) {
            harness.languageModel->answer = answer;
            EXPECT_EQ(harness.run(harness.named(id), input), expected) << id;
            EXPECT_EQ(harness.languageModel->lastPrompt, "  some text  ") << "sent untrimmed";
        }
        harness.languageModel->calls = 0;
        const ClipboardContent empty = text("", {ContentTag::plainText});
        EXPECT_EQ(harness.run(harness.named(id), empty), empty);
        EXPECT_EQ(harness.languageModel->calls, 0) << id << " asked about nothing";
    }
}

// Titles and instructions come from the catalogues, in the user's language.
TEST(RecognitionConvertersTest, InstructionsAndTitlesComeFromTheCatalogues) {
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::setenv("LANGUAGE", "en", 1);
    setUpLocalization("pindrake");
    testing::ConverterHarness harness;
    harness.languageModel->answer = "answer";
    const std::string format = localized("ai_translate_instruction");
    ASSERT_NE(format.find("%s"), std::string::npos) << format;
    const std::pair<std::string, std::string> languageByLocale[] = {
        {"ja_JP", "\u65e5\u672c\u8a9e"},
        {"fr_CA", "fran\u00e7ais"},
        {"en_US", "English"},
        {"", "English"},        // no language: English, named in English
        {"qaa_QM", "English"},  // no name known for the code
    };
    for (const auto& [locale, language] : languageByLocale) {
        harness.services.userLocale = locale;
        ASSERT_TRUE(harness.run(harness.named("ai.translate"), text("x")));
        std::string expected = format;
        EXPECT_EQ(harness.languageModel->lastInstructions,
                  expected.replace(expected.find("%s"), 2, language))
            << locale;
    }
    ASSERT_TRUE(harness.run(harness.named("ai.summarize"), text("x")));
    EXPECT_EQ(harness.languageModel->lastInstructions, localized("ai_summarize_instruction"));
    EXPECT_NE(harness.languageModel->lastInstructions, "ai_summarize_instruction");

    // A title that is its own key was not found in the catalogue.
    for (const char* language : {"en", "ja"}) {
        ::setenv("LANGUAGE", language, 1);
        setUpLocalization("pindrake");
        for (const Converter* converter : testing::everyConverter())
            EXPECT_NE(converter->title(), converter->titleKey()) << language << " has no title";
    }
}

}  // namespace
}  // namespace pindrake::converters
