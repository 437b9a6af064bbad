#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/BackgroundTask.h"
#include "platform/ScriptLimits.h"

namespace pindrake::platform {

// A JavaScriptCore global context of its own. Not thread-safe: use each context from one
// thread at a time. Strings cross as UTF-16, so invalid UTF-8 arrives as U+FFFD, never as
// nothing.
//
// Every evaluation and call ends with an exception once it has run for the time limit, or soon
// after the stop token is cancelled (from any thread); the context stays usable after a
// time-out.
class JavaScriptContext {
  public:
    static constexpr std::chrono::milliseconds defaultTimeLimit{10'000};

    // The outcome of one evaluation: the value when it is a string, or the text of the exception
    // thrown. Neither means a value of another type (undefined and null included).
    struct Evaluation {
        std::optional<std::string> text;
        std::optional<std::string> exception;
    };

    // Null when the engine cannot make a context.
    static std::unique_ptr<JavaScriptContext> create(
        std::chrono::milliseconds timeLimit = defaultTimeLimit, CancellationToken stop = {});
    ~JavaScriptContext();
    JavaScriptContext(const JavaScriptContext&) = delete;
    JavaScriptContext& operator=(const JavaScriptContext&) = delete;

    // Ends with an exception, too, once `limits` is reached; when it is reached already, the
    // script does not start.
    Evaluation evaluate(std::string_view script, const ScriptLimits& limits = {});
    // Whether the global object has a property of that name whose value is not undefined.
    bool isDefined(std::string_view globalName);
    // Calls the global function with one string argument. Gives the exception's text, if any.
    std::optional<std::string> callGlobalFunction(std::string_view name, std::string_view argument);

  private:
    struct Impl;
    explicit JavaScriptContext(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> impl_;
};

}  // namespace pindrake::platform
