#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "clipboard/ClipboardContent.h"
#include "converters/Converter.h"
#include "converters/Converters.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeLanguageModel.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "platform/fake/ScriptedWebView.h"

namespace pindrake::clipboard {
// Lets failures show contents by their text.
void PrintTo(const ClipboardContent& content, std::ostream* out);
}  // namespace pindrake::clipboard

namespace pindrake::converters::testing {

// A main queue on virtual time, one worker, the fake recogniser and model.
struct ConverterHarness {
    ManualScheduler main;
    ConversionWorkers workers{"converters.test", 1};
    std::shared_ptr<platform::FakeTextRecognizer> textRecognizer =
        std::make_shared<platform::FakeTextRecognizer>();
    std::shared_ptr<platform::FakeLanguageModel> languageModel =
        std::make_shared<platform::FakeLanguageModel>();
    ConversionServices services{main,
                                workers,
                                textRecognizer,
                                languageModel,
                                platform::ScriptedWebView::factory(
                                    main, std::make_shared<platform::ScriptedWebView::Script>()),
                                "en_US",
                                {}};

    // Converts (with `services`, or others on the same main queue) and runs the main queue until
    // the result arrives; nothing when it never does or arrives more than once.
    std::optional<clipboard::ClipboardContent> run(const Converter& converter,
                                                   const clipboard::ClipboardContent& input,
                                                   const ConversionServices* with = nullptr);
    // The registry's converter with this identifier; for one that runs in a conversion helper,
    // the engine converter the helper runs, here in this process.
    static const Converter& named(std::string_view id);
};

clipboard::ClipboardContent text(std::string plainText, clipboard::ContentTags tags = {});
clipboard::ClipboardContent plainTextResult(std::string plainText);

// A test of the registry's converters, each run by its identifier on the harness.
class RegistryConverterTest : public ::testing::Test {
  protected:
    std::optional<clipboard::ClipboardContent> run(std::string_view converter,
                                                   const clipboard::ClipboardContent& input) {
        return harness.run(harness.named(converter), input);
    }

    // An HTML page both HTML-to-Markdown converters give back unchanged, having started an
    // engine on it or not.
    struct EngineCase {
        std::string markup;
        bool startsAnEngine;
    };
    void expectEnginesStartedWhereSaid(const std::vector<EngineCase>& cases) {
        const auto script = std::make_shared<platform::ScriptedWebView::Script>();
        ConversionServices engines = harness.services;
        engines.makeWebView = platform::ScriptedWebView::factory(harness.main, script);
        for (const auto& c : cases) {
            for (const char* converter : {"html.toMarkdown", "text.toNotion"}) {
                script->viewsCreated = 0;
                const auto input = text(c.markup, {clipboard::ContentTag::html});
                EXPECT_TRUE(harness.run(harness.named(converter), input, &engines) == input)
                    << converter;
                EXPECT_EQ(script->viewsCreated > 0, c.startsAnEngine)
                    << converter << " on " << c.markup.size() << " bytes";
            }
        }
    }

    ConverterHarness harness;
};

// Every converter of the registry's lists, and paste-as-is.
std::vector<const Converter*> everyConverter();


}  // namespace pindrake::converters::testing
