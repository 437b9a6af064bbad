#include "platform/javascript/JavaScriptContext.h"

#include <JavaScriptCore/JavaScript.h>

#include <chrono>

#include "foundation/Unicode.h"

// Exported by the engine but declared only in its private headers. The callback runs on the
// thread running the script once it has run for `limit` seconds; true ends the script with an
// exception, false lets it go on without a further check unless the limit is set again.
extern "C" {
typedef bool (*JSShouldTerminateCallback)(JSContextRef context, void* data);
void JSContextGroupSetExecutionTimeLimit(JSContextGroupRef group, double limit,
                                         JSShouldTerminateCallback callback, void* data);
}

namespace pindrake::platform {
namespace {

// How often a running script checks its deadline and stop token: how late it stops.
constexpr double checkIntervalSeconds = 0.02;

// Strings cross into JavaScript as UTF-16, so invalid UTF-8 arrives as U+FFFD, never as nothing.
class JsString {
  public:
    explicit JsString(std::string_view utf8) {
        const std::u16string units = unicode::toUtf16(utf8);
        ref_ = JSStringCreateWithCharacters(reinterpret_cast<const JSChar*>(units.data()),
                                            units.size());
    }
    explicit JsString(JSStringRef adopted) : ref_(adopted) {}
    ~JsString() {
        if (ref_)
            JSStringRelease(ref_);
    }
    JsString(const JsString&) = delete;
    JsString& operator=(const JsString&) = delete;

    JSStringRef get() const { return ref_; }
    std::string utf8() const {
        if (!ref_)
            return {};
        const auto* units = reinterpret_cast<const char16_t*>(JSStringGetCharactersPtr(ref_));
        return unicode::toUtf8(std::u16string_view(units, JSStringGetLength(ref_)));
    }

  private:
    JSStringRef ref_ = nullptr;
};

std::string describe(JSContextRef context, JSValueRef value) {
    JSValueRef ignored = nullptr;
    return JsString(JSValueToStringCopy(context, value, &ignored)).utf8();
}

}  // namespace

struct JavaScriptContext::Impl {
    JSGlobalContextRef context = nullptr;
    std::chrono::milliseconds timeLimit{};
    CancellationToken stop;
    std::chrono::steady_clock::time_point deadline;
    ScriptLimits call;

    ~Impl() {
        if (context)
            JSGlobalContextRelease(context);
    }

    // Called before each entry into the engine, on the thread that enters it.
    JSContextRef enter(ScriptLimits limits = {}) {
        deadline = std::chrono::steady_clock::now() + timeLimit;
        call = std::move(limits);
        armCheck();
        return context;
    }
    void armCheck() {
        JSContextGroupSetExecutionTimeLimit(JSContextGetGroup(context), checkIntervalSeconds,
                                            &Impl::shouldTerminate, this);
    }
    // The engine checks once per arming, so a script allowed to go on is re-armed.
    static bool shouldTerminate(JSContextRef, void* data) {
        auto* impl = static_cast<Impl*>(data);
        if (impl->stop.isCancelled() || std::chrono::steady_clock::now() >= impl->deadline ||
            impl->call.reached()) {
            return true;
        }
        impl->armCheck();
        return false;
    }
};

std::unique_ptr<JavaScriptContext> JavaScriptContext::create(std::chrono::milliseconds timeLimit,
                                                             CancellationToken stop) {
    auto impl = std::make_unique<Impl>();
    impl->context = JSGlobalContextCreate(nullptr);
    if (!impl->context)
        return nullptr;
    impl->timeLimit = timeLimit;
    impl->stop = std::move(stop);
    return std::unique_ptr<JavaScriptContext>(new JavaScriptContext(std::move(impl)));
}

JavaScriptContext::JavaScriptContext(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
JavaScriptContext::~JavaScriptContext() = default;

JavaScriptContext::Evaluation JavaScriptContext::evaluate(std::string_view script,
                                                          const ScriptLimits& limits) {
    if (limits.reached())
        return {std::nullopt, "the script was stopped before it started"};
    JSContextRef context = impl_->enter(limits);
    JSValueRef exception = nullptr;
    JSValueRef value =
        JSEvaluateScript(context, JsString(script).get(), nullptr, nullptr, 1, &exception);
    if (exception)
        return {std::nullopt, describe(context, exception)};
    if (value && JSValueIsString(context, value))
        return {describe(context, value), std::nullopt};
    return {};
}

bool JavaScriptContext::isDefined(std::string_view globalName) {
    JSContextRef context = impl_->context;
    JSValueRef exception = nullptr;
    JSValueRef value = JSObjectGetProperty(context, JSContextGetGlobalObject(context),
                                           JsString(globalName).get(), &exception);
    return !exception && value && !JSValueIsUndefined(context, value);
}

std::optional<std::string> JavaScriptContext::callGlobalFunction(std::string_view name,
                                                                 std::string_view argument) {
    JSContextRef context = impl_->enter();
    JSValueRef exception = nullptr;
    JSValueRef function = JSObjectGetProperty(context, JSContextGetGlobalObject(context),
                                              JsString(name).get(), &exception);
    if (exception)
        return describe(context, exception);
    if (!function || !JSValueIsObject(context, function))
        return std::string(name) + " is not a function";
    JSObjectRef callable = JSValueToObject(context, function, nullptr);
    if (!JSObjectIsFunction(context, callable))
        return std::string(name) + " is not a function";
    const JsString text(argument);
    JSValueRef argumentValue = JSValueMakeString(context, text.get());
    JSObjectCallAsFunction(context, callable, nullptr, 1, &argumentValue, &exception);
    if (exception)
        return describe(context, exception);
    return std::nullopt;
}

}  // namespace pindrake::platform
