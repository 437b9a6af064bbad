#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "clipboard/ClipboardContent.h"
#include "converters/ConversionHelpers.h"
#include "converters/ConversionWorkers.h"
#include "foundation/Scheduler.h"
#include "platform/LanguageModel.h"
#include "platform/TextRecognizer.h"
#include "platform/WebView.h"

namespace pindrake::converters {

// What conversions run on and with. What is referenced must outlive the main queue's part of the
// conversions started with it; what a worker uses is shared with the job, which may outlive them.
struct ConversionServices {
    Scheduler& main;
    // Where conversions that take time run, so that the main queue never waits for them.
    ConversionWorkers& workers;
    std::shared_ptr<platform::TextRecognizer> textRecognizer;
    std::shared_ptr<platform::LanguageModel> languageModel;
    // Web views for the HTML-to-Markdown engines.
    platform::WebViewFactory makeWebView;
    // The user's locale as an ICU locale id ("ja_JP"); translation asks for its language.
    std::string userLocale;
    // Cancelled once the result is no longer wanted: a conversion on a worker not started yet
    // then never starts, and one in a script engine stops soon. Its completion still runs, with
    // the input.
    CancellationToken stop;
    // How long one HTML-to-Markdown conversion may take in the engines' own reckoning, its
    // fallback engine included.
    std::chrono::milliseconds markdownTimeLimit{10'000};
    // Where the registry's converters run the engines whose cost no check can predict, within
    // limits the app enforces. Without helpers, those converters give every entry back.
    std::shared_ptr<ConversionHelpers> helpers{};
    // What each conversion run in this process may take.
    ConversionLimits limits{};
};

// The user's locale as ICU reads it from the environment, for `ConversionServices::userLocale`.
std::string currentUserLocale();

using ConversionCompletion = std::function<void(clipboard::ClipboardContent)>;

// One way of turning an entry into something else before it is pasted. A converter holds only
// its identity; the registry's converters live for the whole process.
class Converter {
  public:
    Converter(std::string id, std::string iconName, clipboard::ContentTags acceptsTags);
    virtual ~Converter() = default;

    // Stable dotted identifier: "paste.asis", "ai.summarize", ...
    const std::string& id() const { return id_; }
    // The localisation key of the title, fixed per type.
    virtual std::string_view titleKey() const = 0;
    // The title in the user's language, looked up on every call.
    std::string title() const;
    // The name of the symbol image that stands for the converter.
    const std::string& iconName() const { return iconName_; }
    // The kinds of text the converter is offered for; empty for converters offered by other rules.
    const clipboard::ContentTags& acceptsTags() const { return acceptsTags_; }

    // Called on the main queue. `done` runs later on `services.main`, exactly once: with the
    // converted content (the text in `plainText`, one result kind in `tags`, nothing else), or
    // with `input` unchanged when it cannot be converted. The converter must outlive the call.
    virtual void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                         ConversionCompletion done) const = 0;

  private:
    std::string id_;
    std::string iconName_;
    clipboard::ContentTags acceptsTags_;
};

// A converter whose work is a function of the input alone; it runs on a worker thread, within
// the services' limits.
class TransformingConverter : public Converter {
  public:
    using Converter::Converter;

    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const final;
    // The conversion itself, on the calling thread: nothing, for the input to be given back
    // unchanged, when it cannot convert it, its result would be over the budget's cap, or the
    // budget stopped.
    virtual std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const = 0;
};

// Hands `content` to `done` in a later turn of the main queue.
void deliverOnMain(Scheduler& main, clipboard::ClipboardContent content, ConversionCompletion done);

// A successful conversion's content: `text` in `plainText`, `kind` its only tag.
clipboard::ClipboardContent convertedContent(std::string text, clipboard::ContentTag kind);
// The converted text as plain text, or nothing when there is none.
std::optional<clipboard::ClipboardContent> plainTextResult(std::optional<std::string> text);

}  // namespace pindrake::converters
