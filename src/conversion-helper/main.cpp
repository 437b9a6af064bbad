// The conversion helper: runs the conversions whose engines the app keeps out of its own process,
// one at a time, for as long as the app keeps it. It reads each request from its standard input,
// a socket whose other end the app holds, and answers on the same socket. It holds its memory cap
// itself; the app ends it at the deadline, or when it no longer needs it. It runs at the app's
// priority, as the same work did on the app's own threads: below busy programs, an engine whose
// collector stops its threads again and again almost stops.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "conversion-helper/EventLoop.h"
#include "conversion-helper/MemoryCap.h"
#include "converters/Converter.h"
#include "converters/ConverterEngines.h"
#include "converters/HelperProtocol.h"
#include "foundation/Log.h"
#include "platform/linux/JavaScriptCoreWebView.h"
#include "platform/linux/TesseractTextRecognizer.h"

using namespace pindrake;
using clipboard::ClipboardContent;

namespace {

// No entry of the app's comes near this; a request that claims more is not one.
constexpr std::size_t maximumRequestFieldBytes = std::size_t{1} << 30;

// The app holds the deadline: the engines' own time limits stay out of its way.
constexpr std::chrono::milliseconds engineTimeLimit = std::chrono::hours(24);

std::optional<std::size_t> memoryCapBytes(std::string_view text) {
    std::size_t bytes = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bytes);
    if (error != std::errc() || end != text.data() + text.size() || bytes == 0)
        return std::nullopt;
    return bytes;
}

// The converted content, or nothing when the converter gave the input back.
std::optional<ClipboardContent> converted(const converters::Converter& engine,
                                          const ClipboardContent& input,
                                          const converters::ConversionServices& services,
                                          conversion_helper::EventLoop& loop) {
    std::optional<ClipboardContent> result;
    engine.convert(input, services,
                   [&result](ClipboardContent content) { result = std::move(content); });
    loop.runUntil([&result] { return result.has_value(); });
    if (*result == input)
        return std::nullopt;
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    // Ends with the thread of the app that started it, and at once if the app has gone already.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (argc != 3 || std::to_string(::getppid()) != argv[1])
        return 1;
    const auto memoryCap = memoryCapBytes(argv[2]);
    // The socket leaves the standard descriptors: what the engines and the log write to standard
    // output goes to standard error instead, never into a reply.
    const int socket = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (socket < 0 || nothing < 0 || ::dup2(nothing, STDIN_FILENO) < 0 ||
        ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        return 1;
    }
    ::close(nothing);
    if (!memoryCap || !conversion_helper::holdMemoryCap(*memoryCap, socket))
        return 1;

    conversion_helper::EventLoop loop;
    converters::ConversionWorkers workers("conversion-helper", 2);
    const converters::ConversionServices services{
        loop,
        workers,
        std::make_shared<platform::TesseractTextRecognizer>(),
        nullptr,
        platform::JavaScriptCoreWebView::factory(loop, engineTimeLimit),
        converters::currentUserLocale(),
        {},
        engineTimeLimit,
        nullptr,
        converters::ConversionLimits{.deadline = engineTimeLimit}};
    while (auto request =
               converters::helper_protocol::readRequest(socket, maximumRequestFieldBytes)) {
        std::optional<ClipboardContent> result;
        if (const auto* engine = converters::converterEngine(request->converterId))
            result = converted(*engine, request->input, services, loop);
        else
            log::warning("The conversion helper runs no converter " + request->converterId);
        if (!converters::helper_protocol::writeAll(
                socket, converters::helper_protocol::reply(result).pieces()))
            return 1;
    }
    return 0;
}
