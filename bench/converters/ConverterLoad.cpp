// Runs one converter once on one generated input, as the application would (real JavaScript
// engines, conversions on a worker), and prints how long it took, what came out and the longest
// turn of main-queue work it cost. Run it under `/usr/bin/time -v` for the peak memory:
//   converter-load CONVERTER INPUT [BYTES]
// CONVERTER is a converter's identifier (plaintext, text.toSlack, html.toMarkdown,
// text.toNotion, markdown.toHTML, json.prettify, html.escape, fullwidth.toFull, ...),
// engine.turndown or engine.htmlToMd for the HTML-to-Markdown module alone with that engine first,
// or previews: the converter-menu highlight moved 8 times at once between To Markdown and To Notion
// on one entry, until the last preview is shown. INPUT is json-ones (a JSON array of ones of BYTES
// bytes), json-deep (120,000 ones in arrays nested 500 deep, 241 KB), quotes (BYTES quotation
// marks), ascii (BYTES ASCII letters), ordinary-html, ordinary-japanese-html or ordinary-markdown
// of BYTES bytes (100 KB when left out), reopened-formatting (54 KB, or filled up to BYTES with
// paragraphs), deep-formatting (165 KB), unclosed-code (48 KB), unmatched-end-tags (1,490 open
// blocks, then end tags up to BYTES, 8 MiB when left out) or old-style-mail (1,500 paragraphs, each
// with a font element left open); html-file and markdown-file read the HTML or Markdown from the
// file named by the third argument. With CONVERTER_LOAD_OUTPUT set, the converted text is written
// to the file it names (an empty file when the input is given back). The engines run in a
// conversion helper, as in the app, whose peak memory is printed too; with
// CONVERTER_LOAD_IN_PROCESS set, they run in this process, as the app ran them before it had
// helpers.
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "SampleMarkup.h"
#include "app/model/HistoryViewModel.h"
#include "clipboard/HistoryStore.h"
#include "clipboard/PasteService.h"
#include "converters/ConversionHelpers.h"
#include "converters/ConverterEngines.h"
#include "converters/Converters.h"
#include "foundation/Files.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/FakeLanguageModel.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/RecordingKeySynth.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "platform/linux/JavaScriptCoreWebView.h"
#include "support/Eventually.h"
#include "support/MainQueueWaits.h"
#include "support/MainTurnProbe.h"
#include "support/TestFiles.h"
#include "zarezo/Zarezo.h"

namespace {

using namespace pindrake;
using clipboard::ClipboardContent;
using clipboard::ContentTag;

// The texts the converters that run in the app take, with the tag that offers them.
std::optional<std::pair<std::string, ContentTag>> plainTextInput(std::string_view kind,
                                                                 std::size_t bytes) {
    if (kind == "json-ones") {
        std::string ones = "[1";
        while (ones.size() + 3 <= bytes)
            ones += ",1";
        return std::pair(ones + "]", ContentTag::json);
    }
    if (kind == "json-deep") {
        // Indentation 500 levels deep for each of 120,000 values.
        std::string ones = std::string(500, '[') + "1";
        for (int i = 1; i < 120'000; ++i)
            ones += ",1";
        return std::pair(ones + std::string(500, ']'), ContentTag::json);
    }
    if (kind == "quotes")
        return std::pair(std::string(bytes, '"'), ContentTag::html);
    if (kind == "ascii")
        return std::pair(std::string(bytes, 'a'), ContentTag::fullWidth);
    return std::nullopt;
}

std::optional<ClipboardContent> input(std::string_view kind, const char* argument) {
    namespace sample = converters::bench;
    ClipboardContent content;
    if (kind == "html-file" && argument) {
        content.html = files::read(argument);
        content.tags = {ContentTag::html};
        return content.html ? std::optional(content) : std::nullopt;
    }
    if (kind == "markdown-file" && argument) {
        content.plainText = files::read(argument);
        content.tags = {ContentTag::markdown};
        return content.plainText ? std::optional(content) : std::nullopt;
    }
    const std::size_t bytes = argument ? std::stoul(argument) : 100'000;
    if (kind == "unmatched-end-tags")
        content.html = sample::unmatchedEndTags(1490, argument ? bytes : std::size_t{8} << 20);
    if (const auto text = plainTextInput(kind, bytes)) {
        content.plainText = std::move(text->first);
        content.tags = {text->second};
        return content;
    }
    if (kind == "ordinary-markdown") {
        content.plainText = sample::ordinaryMarkdown(bytes);
        content.tags = {ContentTag::markdown};
        return content;
    }
    if (kind == "ordinary-html")
        content.html = sample::ordinaryHtml(bytes);
    else if (kind == "ordinary-japanese-html")
        content.html = sample::ordinaryJapaneseHtml(bytes);
    else if (kind == "reopened-formatting" && argument)
        content.html = sample::reopenedFormattingOfSize(1400, bytes);
    else if (kind == "reopened-formatting")
        content.html = sample::reopenedFormatting(1400, 4500);
    else if (kind == "deep-formatting")
        content.html = sample::reopenedFormatting(1400, 18'300);
    else if (kind == "unclosed-code")
        content.html = sample::unclosedCode(8000);
    else if (kind == "old-style-mail")
        content.html = sample::oldStyleMail(1500);
    if (!content.html)
        return std::nullopt;
    content.plainText = "the copy's plain text";
    content.tags = {ContentTag::html};
    return content;
}

bool inProcess() {
    return std::getenv("CONVERTER_LOAD_IN_PROCESS") != nullptr;
}

const converters::Converter* named(std::string_view id) {
    if (inProcess()) {
        if (const auto* engine = converters::converterEngine(id))
            return engine;
    }
    for (const converters::Converter* converter : converters::Converters::textConverters()) {
        if (converter->id() == id)
            return converter;
    }
    return nullptr;
}

struct Services {
    explicit Services(ManualScheduler& queue) : main(queue) {}

    ManualScheduler& main;
    bench::MainTurnProbe probe{main};
    converters::ConversionWorkers workers{"converter-load", 1};
    converters::ConversionServices conversion{probe,
                                              workers,
                                              std::make_shared<platform::FakeTextRecognizer>(),
                                              std::make_shared<platform::FakeLanguageModel>(),
                                              platform::JavaScriptCoreWebView::factory(probe),
                                              "en_US",
                                              {},
                                              std::chrono::milliseconds(10'000),
                                              inProcess() ? nullptr : helpers()};

    static std::shared_ptr<converters::ConversionHelpers> helpers() {
        auto helpers = std::make_shared<converters::ConversionHelpers>(PINDRAKE_CONVERSION_HELPER);
        helpers->keepWarm();
        return helpers;
    }
};

using Completion = std::function<void(ClipboardContent)>;

// The HTML-to-Markdown module alone, with the given engine tried first.
void convertWithEngine(zarezo::ConversionEngine engine, const ClipboardContent& content,
                       Services& services, Completion done) {
    zarezo::Zarezo module(services.probe, services.conversion.makeWebView);
    zarezo::ZarezoOptions options;
    options.engine = engine;
    module.convertToMarkdown(
        content.html.value_or(""), options, [content, done](zarezo::MarkdownResult result) {
            auto* markdown = std::get_if<std::string>(&result);
            done(markdown ? converters::convertedContent(std::move(*markdown),
                                                         clipboard::ContentTag::markdown)
                          : content);
        });
}

// Quick moves of the converter-menu highlight over one entry, each starting a preview; the
// outcome is the preview shown last.
class Previews {
  public:
    Previews(const ClipboardContent& content, Services& services)
        : store_(folder_.path(), {services.probe, defaults_, codec_}),
          paste_({services.probe, pasteboard_, keys_, codec_,
                  [this](std::function<void()> job) { reads_.async(std::move(job)); }}) {
        clipboard::ClipboardItem item;
        item.id = "entry";
        item.plainText = content.plainText;
        item.htmlText = content.html;
        item.tags = content.tags;
        store_.items() = clipboard::HistoryList({item});
        viewModel_ = app::HistoryViewModel::create(
            {services.probe, store_, paste_, keys_, workspace_, services.conversion,
             [this](std::function<void()> job) { reads_.async(std::move(job)); },
             [](const clipboard::ContentTags&, const std::set<std::string>&, bool, bool) {
                 return converters::ConverterList{named("html.toMarkdown"), named("text.toNotion")};
             }});
    }

    void start(Completion done) {
        shown_ = viewModel_->convertedPreviewText.subscribe(
            [done](const std::optional<std::string>& text) {
                if (text)
                    done(converters::convertedContent(*text, clipboard::ContentTag::markdown));
            });
        viewModel_->openConverterMenu();
        for (int move = 0; move < 8; ++move)
            viewModel_->moveSelectionDown();
    }

  private:
    test_support::TemporaryDirectory folder_;
    platform::InMemoryDefaults defaults_;
    platform::InMemoryPasteboard pasteboard_;
    platform::FakeImageCodec codec_;
    platform::ScriptedWorkspace workspace_;
    platform::RecordingKeySynth keys_;
    clipboard::HistoryStore store_;
    clipboard::PasteService paste_;
    // Where the previews read their input, as in the app.
    WorkQueue reads_{"entry-reads", 1};
    std::shared_ptr<app::HistoryViewModel> viewModel_;
    Subscription shown_;
};

// Whether any thread of this process has a child left, running or not yet collected.
bool hasChildren() {
    for (const auto& thread : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream children(thread.path() / "children");
        std::string child;
        if (children >> child)
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: converter-load CONVERTER INPUT [BYTES]\n";
        return 2;
    }
    setenv("PINDRAKE_RESOURCES", PINDRAKE_BUILD_RESOURCES, 0);
    const std::string_view id = argv[1];
    const converters::Converter* converter = named(id);
    const auto content = input(argv[2], argc == 4 ? argv[3] : nullptr);
    const bool known =
        converter || id == "engine.turndown" || id == "engine.htmlToMd" || id == "previews";
    if (!known || !content) {
        std::cerr << "unknown converter or input\n";
        return 2;
    }

    ManualScheduler main;
    Services services(main);
    std::optional<Previews> previews;
    if (id == "previews")
        previews.emplace(*content, services);

    const auto start = std::chrono::steady_clock::now();
    std::optional<ClipboardContent> result;
    const Completion done = [&](ClipboardContent out) { result = std::move(out); };
    services.probe.run([&] {
        if (previews)
            previews->start(done);
        else if (converter)
            converter->convert(*content, services.conversion, done);
        else
            convertWithEngine(id == "engine.turndown" ? zarezo::ConversionEngine::turndown
                                                      : zarezo::ConversionEngine::htmlToMd,
                              *content, services, done);
    });
    test_support::runUntil(
        main, [&] { return result.has_value(); }, std::chrono::minutes(10));
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;

    if (const char* output = std::getenv("CONVERTER_LOAD_OUTPUT")) {
        const bool converted = result && *result != *content;
        std::ofstream(output, std::ios::binary)
            << (converted ? result->plainText.value_or("") : "");
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    // The largest of the helpers, once every one has been collected: the one kept warm may go
    // before the one that ran the conversion.
    services.conversion.helpers.reset();
    rusage helper{};
    const bool collected = inProcess() || test_support::eventually([] { return !hasChildren(); });
    getrusage(RUSAGE_CHILDREN, &helper);
    const std::size_t inputBytes =
        content->html ? content->html->size() : content->plainText->size();
    std::cout << argv[1] << " on " << argv[2] << " (" << inputBytes << " bytes): "
              << (result
                      ? (*result == *content
                             ? "input given back"
                             : "converted, " +
                                   std::to_string(result->plainText.value_or("").size()) + " bytes")
                      : "no answer")
              << ", " << took.count() << " ms, peak " << usage.ru_maxrss / 1024
              << " MiB, helper's peak " << (collected ? helper.ru_maxrss / 1024 : -1)
              << " MiB, longest main-queue turn " << services.probe.longestWallMs() << " ms ("
              << services.probe.longestCpuMs() << " ms of CPU)\n";
    return result ? 0 : 1;
}
