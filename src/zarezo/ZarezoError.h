#pragma once

#include <functional>
#include <string>
#include <variant>

namespace pindrake::zarezo {

// Why a conversion produced no Markdown. Each kind has a fixed message; some carry a detail.
class ZarezoError {
  public:
    enum class Kind {
        libraryNotFound,
        libraryLoadingFailed,
        invalidInput,
        jsException,
        bundleResourceMissing,
        jsEnvironmentInitializationFailed,
        jsContextCreationFailed,
        turndownServiceCreationFailed,
        conversionFailed,
        emptyResult,
        webViewInitializationFailed,
    };

    static ZarezoError libraryNotFound(std::string fileName);
    static ZarezoError libraryLoadingFailed(std::string reason);
    static ZarezoError invalidInput(std::string reason);
    static ZarezoError jsException(std::string description);
    static ZarezoError bundleResourceMissing(std::string resource);
    static ZarezoError jsEnvironmentInitializationFailed();
    static ZarezoError jsContextCreationFailed();
    static ZarezoError turndownServiceCreationFailed();
    static ZarezoError conversionFailed();
    static ZarezoError emptyResult();
    static ZarezoError webViewInitializationFailed();

    Kind kind() const { return kind_; }
    const std::string& detail() const { return detail_; }
    std::string errorDescription() const;

    bool operator==(const ZarezoError&) const = default;

  private:
    ZarezoError(Kind kind, std::string detail) : kind_(kind), detail_(std::move(detail)) {}

    Kind kind_;
    std::string detail_;
};

// A Markdown text, or why there is none.
using MarkdownResult = std::variant<std::string, ZarezoError>;
// Called once with the outcome of a conversion, on the main queue.
using MarkdownCompletion = std::function<void(MarkdownResult)>;

}  // namespace pindrake::zarezo
