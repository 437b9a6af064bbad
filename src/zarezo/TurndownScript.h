#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "zarezo/ZarezoOptions.h"

// The scripts the Turndown engine evaluates in its web view. Every text taken from the caller
// enters a script as a quoted JavaScript string, so nothing in it can end the string early.
namespace pindrake::zarezo::turndown_script {

// The TurndownService options as one compact JSON object.
std::string makeOptionsJSON(const ZarezoOptions& options);
// One keep statement per tag, one per line; empty for no tags.
std::string makeKeepRules(const std::vector<std::string>& tags);
// One remove statement for all tags; empty for no tags.
std::string makeRemoveRule(const std::vector<std::string>& tags);
// The HTML as the inside of a double-quoted JavaScript string.
std::string escapeForDoubleQuotes(std::string_view html);
// Creates a configured TurndownService, converts the HTML and returns the Markdown.
std::string makeConversionScript(std::string_view html, const ZarezoOptions& options);

// Gives "function" once the library is usable.
inline constexpr std::string_view availabilityCheck = "typeof TurndownService";
// Reports, for the log, which of the library's globals the page sees.
extern const std::string_view globalScopeCheck;

}  // namespace pindrake::zarezo::turndown_script
