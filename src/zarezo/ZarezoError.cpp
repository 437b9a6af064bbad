#include "zarezo/ZarezoError.h"

namespace pindrake::zarezo {

ZarezoError ZarezoError::libraryNotFound(std::string fileName) {
    return {Kind::libraryNotFound, std::move(fileName)};
}
ZarezoError ZarezoError::libraryLoadingFailed(std::string reason) {
    return {Kind::libraryLoadingFailed, std::move(reason)};
}
ZarezoError ZarezoError::invalidInput(std::string reason) {
    return {Kind::invalidInput, std::move(reason)};
}
ZarezoError ZarezoError::jsException(std::string description) {
    return {Kind::jsException, std::move(description)};
}
ZarezoError ZarezoError::bundleResourceMissing(std::string resource) {
    return {Kind::bundleResourceMissing, std::move(resource)};
}
ZarezoError ZarezoError::jsEnvironmentInitializationFailed() {
    return {Kind::jsEnvironmentInitializationFailed, {}};
}
ZarezoError ZarezoError::jsContextCreationFailed() {
    return {Kind::jsContextCreationFailed, {}};
}
ZarezoError ZarezoError::turndownServiceCreationFailed() {
    return {Kind::turndownServiceCreationFailed, {}};
}
ZarezoError ZarezoError::conversionFailed() {
    return {Kind::conversionFailed, {}};
}
ZarezoError ZarezoError::emptyResult() {
    return {Kind::emptyResult, {}};
}
ZarezoError ZarezoError::webViewInitializationFailed() {
    return {Kind::webViewInitializationFailed, {}};
}

std::string ZarezoError::errorDescription() const {
    switch (kind_) {
        case Kind::libraryNotFound:
            return detail_ + " library not found in bundle";
        case Kind::libraryLoadingFailed:
            return "Failed to load JavaScript libraries: " + detail_;
        case Kind::invalidInput:
            return "Invalid input provided: " + detail_;
        case Kind::jsException:
            return "JavaScript execution error: " + detail_;
        case Kind::bundleResourceMissing:
            return "Required bundle resource missing: " + detail_;
        case Kind::jsEnvironmentInitializationFailed:
            return "Failed to initialize JavaScript environment";
        case Kind::jsContextCreationFailed:
            return "Failed to create JavaScript context";
        case Kind::turndownServiceCreationFailed:
            return "Failed to create TurndownService instance";
        case Kind::conversionFailed:
            return "Failed to convert HTML to Markdown";
        case Kind::emptyResult:
            return "Conversion produced empty result";
        case Kind::webViewInitializationFailed:
            return "Failed to initialize WKWebView";
    }
    return {};
}

}  // namespace pindrake::zarezo
