// When a conversion run in the app gives its entry back, at its deadline or at a stop: the
// registry's converter on two workers, on the app's own main queue (Qt's event loop, whose timers
// fire in real time), as the app runs them. Not a test: it times, and never fails on time.
//   conversion-hand-back CONVERTER INPUT COUNT [--at-once N] [--stop-after MS]
// CONVERTER is a converter's identifier (html.unescape, json.prettify, ...). INPUT is
// tag-and-amps ("<b>" and COUNT ampersands), amps (COUNT ampersands), json-plain-keys (an object
// {"a":0,...} of COUNT bytes) or json-escaped-keys (the same with the key written "\u0061").
// --at-once starts N conversions of as many copies of the input together; --stop-after stops
// them that long after they were asked for, as the menu stops a preview the user moved away
// from. Prints when each entry came back and how, when both workers took new work again, and the
// process's peak memory. Run it beside busy loops (taskset, nice) for a loaded machine.
#include <sys/resource.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converters/Converter.h"
#include "converters/Converters.h"
#include "platform/linux/QtScheduler.h"

namespace {

using namespace pindrake;
using clipboard::ClipboardContent;
using clipboard::ContentTag;
using Clock = std::chrono::steady_clock;

std::optional<ClipboardContent> input(std::string_view kind, std::size_t count) {
    ClipboardContent content;
    if (kind == "tag-and-amps" || kind == "amps") {
        std::string text = kind == "tag-and-amps" ? "<b>" : "";
        text.reserve(text.size() + count);
        text.append(count, '&');
        content.plainText = std::move(text);
        content.tags = {ContentTag::html};
        return content;
    }
    if (kind == "json-plain-keys" || kind == "json-escaped-keys") {
        const std::string member = kind == "json-plain-keys" ? "\"a\":0," : "\"\\u0061\":0,";
        std::string json = "{";
        json.reserve(count + member.size());
        while (json.size() + member.size() < count)
            json += member;
        json.back() = '}';
        content.plainText = std::move(json);
        content.tags = {ContentTag::json};
        return content;
    }
    return std::nullopt;
}

const converters::Converter* named(std::string_view id) {
    for (const converters::Converter* converter : converters::Converters::textConverters()) {
        if (converter->id() == id)
            return converter;
    }
    return nullptr;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::cerr << "usage: conversion-hand-back CONVERTER INPUT COUNT [--at-once N] "
                     "[--stop-after MS]\n";
        return 2;
    }
    std::size_t atOnce = 1;
    std::optional<long> stopAfterMs;
    for (int i = 4; i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        if (option == "--at-once")
            atOnce = std::stoul(argv[i + 1]);
        else if (option == "--stop-after")
            stopAfterMs = std::stol(argv[i + 1]);
    }
    const converters::Converter* converter = named(argv[1]);
    const std::size_t count = std::stoul(argv[3]);
    std::vector<ClipboardContent> inputs;
    for (std::size_t i = 0; i < atOnce; ++i) {
        if (auto one = input(argv[2], count))
            inputs.push_back(std::move(*one));
    }
    if (!converter || inputs.empty()) {
        std::cerr << "unknown converter or input\n";
        return 2;
    }
    const clipboard::ContentTags inputTags = inputs.front().tags;
    const std::size_t inputBytes = inputs.front().plainText->size();

    QtScheduler main(&app);
    converters::ConversionWorkers workers("converters", 2);
    converters::ConversionServices services{main, workers, nullptr, nullptr, {}, "en_US", {}};
    std::vector<std::string> answers(inputs.size());
    std::size_t answered = 0;
    std::optional<double> workersFree;

    const auto start = Clock::now();
    // Once every entry is back, one small conversion per worker: done when both took it.
    const auto askWorkers = [&] {
        auto freed = std::make_shared<int>(0);
        for (int i = 0; i < 2; ++i) {
            ClipboardContent small;
            small.plainText = "&amp;";
            named("html.unescape")
                ->convert(std::move(small),
                          converters::ConversionServices{
                              services.main, workers, nullptr, nullptr, {}, "en_US", {}},
                          [&, freed](ClipboardContent) {
                              if (++*freed == 2) {
                                  workersFree = secondsSince(start);
                                  app.quit();
                              }
                          });
        }
    };
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        converter->convert(std::move(inputs[i]), services, [&, i](ClipboardContent out) {
            const bool givenBack = out.tags == inputTags;
            answers[i] = std::to_string(secondsSince(start)) + " s, " +
                         (givenBack ? "given back" : "converted") + " (" +
                         std::to_string(out.plainText ? out.plainText->size() : 0) + " bytes)";
            if (++answered == answers.size())
                askWorkers();
        });
    }
    if (stopAfterMs)
        main.postAfter(std::chrono::milliseconds(*stopAfterMs), [&] { services.stop.cancel(); });
    // When the main queue itself ran a timer set for the deadline: how late a starved main
    // thread runs any timer, the deadline's among them.
    std::optional<double> deadlineTimerRan;
    main.postAfter(services.limits.deadline, [&] { deadlineTimerRan = secondsSince(start); });
    app.exec();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::cout << argv[1] << " on " << argv[2] << " (" << inputBytes << " bytes) x" << inputs.size()
              << (stopAfterMs ? ", stopped after " + std::to_string(*stopAfterMs) + " ms" : "")
              << ":\n";
    for (std::size_t i = 0; i < answers.size(); ++i)
        std::cout << "  entry " << i + 1 << " back after " << answers[i] << "\n";
    std::cout << "  both workers free after " << workersFree.value_or(-1) << " s; peak "
              << usage.ru_maxrss / 1024 << " MiB; the main queue's own "
              << services.limits.deadline.count() << " ms timer ran "
              << (deadlineTimerRan ? "after " + std::to_string(*deadlineTimerRan) + " s"
                                   : std::string("not before the end"))
              << "\n";
    return 0;
}
