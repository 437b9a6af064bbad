#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ScriptLimits.h"

namespace pindrake::platform {

// An off-screen web page that runs scripts: load a page, then evaluate scripts in it. Loading a
// page replaces the previous one with everything its scripts defined.
//
// Called on the main queue. Every completion runs later on the main queue, exactly once, in the
// order the calls were made; the completions still pending when the web view is destroyed are
// dropped without running.
class WebView {
  public:
    // What a finished evaluation gave: the script's value when it is a string, or the
    // description of the exception it threw. Neither means a value of another type, or none.
    struct Evaluation {
        std::optional<std::string> text;
        std::optional<std::string> error;

        static Evaluation string(std::string value) { return {std::move(value), std::nullopt}; }
        static Evaluation otherValue() { return {}; }
        static Evaluation exception(std::string description) {
            return {std::nullopt, std::move(description)};
        }
    };

    // Called with nothing once the page has finished loading, or with why it failed.
    using LoadCompletion = std::function<void(std::optional<std::string> error)>;
    using EvaluationCompletion = std::function<void(Evaluation)>;

    virtual ~WebView() = default;

    virtual void loadHTML(std::string html, LoadCompletion done) = 0;
    // The script ends with an exception once `limits` is reached, as at the view's own time
    // limit, and does not start when it is reached already.
    virtual void evaluateJavaScript(std::string script, EvaluationCompletion done,
                                    ScriptLimits limits) = 0;
    void evaluateJavaScript(std::string script, EvaluationCompletion done) {
        evaluateJavaScript(std::move(script), std::move(done), ScriptLimits{});
    }
};

using WebViewFactory = std::function<std::unique_ptr<WebView>()>;

}  // namespace pindrake::platform
