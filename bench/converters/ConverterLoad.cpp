// Runs one converter once on one generated input, as the application would (real JavaScript
// engines, conversions on a worker), and prints how long it took and what came out. Run it
// under `/usr/bin/time -v` for the peak memory:
//   converter-load CONVERTER INPUT [BYTES]
// CONVERTER is a converter's identifier (plaintext, text.toSlack, html.toMarkdown,
// text.toNotion, markdown.toHTML); INPUT is ordinary-html or ordinary-markdown of BYTES bytes
// (100 KB when left out), reopened-formatting (54 KB), deep-formatting (165 KB) or
// unclosed-code (48 KB); html-file reads the HTML from the file named by the third argument.
#include <sys/resource.h>

#include <cstdlib>

#include <chrono>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "SampleMarkup.h"
#include "converters/Converters.h"
#include "foundation/Files.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeLanguageModel.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "platform/linux/JavaScriptCoreWebView.h"
#include "support/MainQueueWaits.h"

namespace {

using namespace pindrake;
using clipboard::ClipboardContent;
using clipboard::ContentTag;

std::optional<ClipboardContent> input(std::string_view kind, const char* argument) {
    namespace sample = converters::bench;
    ClipboardContent content;
    if (kind == "html-file" && argument) {
        content.html = files::read(argument);
        content.tags = {ContentTag::html};
        return content.html ? std::optional(content) : std::nullopt;
    }
    const std::size_t bytes = argument ? std::stoul(argument) : 100'000;
    if (kind == "ordinary-markdown") {
        content.plainText = sample::ordinaryMarkdown(bytes);
        content.tags = {ContentTag::markdown};
        return content;
    }
    if (kind == "ordinary-html")
        content.html = sample::ordinaryHtml(bytes);
    else if (kind == "reopened-formatting")
        content.html = sample::reopenedFormatting(1400, 4500);
    else if (kind == "deep-formatting")
        content.html = sample::reopenedFormatting(1400, 18'300);
    else if (kind == "unclosed-code")
        content.html = sample::unclosedCode(8000);
    if (!content.html)
        return std::nullopt;
    content.plainText = "the copy's plain text";
    content.tags = {ContentTag::html};
    return content;
}

const converters::Converter* named(std::string_view id) {
    for (const converters::Converter* converter : converters::Converters::textConverters()) {
        if (converter->id() == id)
            return converter;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: converter-load CONVERTER INPUT [BYTES]\n";
        return 2;
    }
    setenv("PINDRAKE_RESOURCES", PINDRAKE_BUILD_RESOURCES, 0);
    const converters::Converter* converter = named(argv[1]);
    const auto content = input(argv[2], argc == 4 ? argv[3] : nullptr);
    if (!converter || !content) {
        std::cerr << "unknown converter or input\n";
        return 2;
    }

    ManualScheduler main;
    converters::ConversionWorkers workers("converter-load", 1);
    const converters::ConversionServices services{main,
                                                  workers,
                                                  std::make_shared<platform::FakeTextRecognizer>(),
                                                  std::make_shared<platform::FakeLanguageModel>(),
                                                  platform::JavaScriptCoreWebView::factory(main),
                                                  "en_US"};

    const auto start = std::chrono::steady_clock::now();
    std::optional<ClipboardContent> result;
    converter->convert(*content, services, [&](ClipboardContent out) { result = std::move(out); });
    test_support::runUntil(
        main, [&] { return result.has_value(); }, std::chrono::minutes(10));
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const std::size_t inputBytes =
        content->html ? content->html->size() : content->plainText->size();
    std::cout << argv[1] << " on " << argv[2] << " (" << inputBytes << " bytes): "
              << (result
                      ? (*result == *content
                             ? "input given back"
                             : "converted, " +
                                   std::to_string(result->plainText.value_or("").size()) + " bytes")
                      : "no answer")
              << ", " << took.count() << " ms, peak " << usage.ru_maxrss / 1024 << " MiB\n";
    return result ? 0 : 1;
}
