#include "platform/linux/JavaScriptCoreWebView.h"

#include <JavaScriptCore/JavaScript.h>

#include <optional>
#include <utility>

#include "foundation/Files.h"
#include "foundation/Resources.h"
#include "foundation/Unicode.h"

namespace pindrake::platform {
namespace {

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

struct JavaScriptCoreWebView::Page {
    std::filesystem::path domScript;
    std::optional<std::string> domScriptText;
    JSGlobalContextRef context = nullptr;

    ~Page() { close(); }

    void close() {
        if (context)
            JSGlobalContextRelease(context);
        context = nullptr;
    }

    // A blank page stands in until the first load, as in a browser's new tab.
    JSGlobalContextRef current() {
        if (!context)
            context = JSGlobalContextCreate(nullptr);
        return context;
    }

    std::optional<std::string> load(const std::string& html) {
        close();
        if (!domScriptText) {
            if (domScript.empty())
                return "the page DOM script was not found";
            domScriptText = files::read(domScript);
            if (!domScriptText)
                return "cannot read the page DOM script " + domScript.string();
        }
        context = JSGlobalContextCreate(nullptr);
        if (!context)
            return "cannot create a JavaScript context";

        JSValueRef exception = nullptr;
        JSEvaluateScript(context, JsString(*domScriptText).get(), nullptr, nullptr, 1, &exception);
        if (exception)
            return "page DOM script failed: " + describe(context, exception);

        JSObjectRef global = JSContextGetGlobalObject(context);
        const JsString openPageName("pindrakeOpenPage");
        JSValueRef openPage = JSObjectGetProperty(context, global, openPageName.get(), &exception);
        if (exception || !JSValueIsObject(context, openPage)) {
            return "the page DOM script defines no page opener";
        }
        const JsString pageHtml(html);
        JSValueRef argument = JSValueMakeString(context, pageHtml.get());
        JSObjectCallAsFunction(context, JSValueToObject(context, openPage, nullptr), nullptr, 1,
                               &argument, &exception);
        if (exception)
            return "cannot parse the page: " + describe(context, exception);
        return std::nullopt;
    }

    Evaluation evaluate(const std::string& script) {
        JSGlobalContextRef context = current();
        if (!context)
            return Evaluation::exception("cannot create a JavaScript context");
        JSValueRef exception = nullptr;
        JSValueRef value =
            JSEvaluateScript(context, JsString(script).get(), nullptr, nullptr, 1, &exception);
        if (exception)
            return Evaluation::exception(describe(context, exception));
        if (value && JSValueIsString(context, value)) {
            return Evaluation::string(describe(context, value));
        }
        return Evaluation::otherValue();
    }
};

JavaScriptCoreWebView::JavaScriptCoreWebView(Scheduler& main, std::filesystem::path pageDomScript)
    : main_(main),
      alive_(std::make_shared<std::atomic<bool>>(true)),
      page_(std::make_shared<Page>()),
      worker_(std::make_unique<WorkQueue>("pindrake.web-view", 1)) {
    if (pageDomScript.empty()) {
        pageDomScript = resources::find("web-view/page-dom.min.js").value_or(pageDomScript);
    }
    page_->domScript = std::move(pageDomScript);
}

JavaScriptCoreWebView::~JavaScriptCoreWebView() {
    alive_->store(false);
    worker_.reset();
    // The worker has stopped, so nothing else can touch the context; JavaScriptCore's API lock
    // makes releasing it from this thread safe.
    page_.reset();
}

void JavaScriptCoreWebView::loadHTML(std::string html, LoadCompletion done) {
    worker_->async([deliver = deliverer(), page = page_, html = std::move(html),
                    done = std::move(done)]() mutable {
        auto error = page->load(html);
        deliver([done = std::move(done), error = std::move(error)] { done(error); });
    });
}

void JavaScriptCoreWebView::evaluateJavaScript(std::string script, EvaluationCompletion done) {
    worker_->async([deliver = deliverer(), page = page_, script = std::move(script),
                    done = std::move(done)]() mutable {
        auto evaluation = page->evaluate(script);
        deliver([done = std::move(done), evaluation = std::move(evaluation)] { done(evaluation); });
    });
}

std::function<void(std::function<void()>)> JavaScriptCoreWebView::deliverer() const {
    // Jobs hold no pointer to the view: they may still be finishing while it is destroyed.
    return [&main = main_, alive = alive_](std::function<void()> completion) {
        main.post([alive, completion = std::move(completion)] {
            if (alive->load())
                completion();
        });
    };
}

WebViewFactory JavaScriptCoreWebView::factory(Scheduler& main) {
    return [&main] { return std::make_unique<JavaScriptCoreWebView>(main); };
}

}  // namespace pindrake::platform
