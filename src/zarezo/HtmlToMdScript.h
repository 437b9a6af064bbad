#pragma once

#include <string>
#include <string_view>

#include "zarezo/ZarezoOptions.h"

// The script the html-to-md engine evaluates for one conversion.
namespace pindrake::zarezo::html_to_md_script {

// The library's options as compact JSON: only the tag lists that are not empty, and the marker
// when it is not "-". The defaults give {}.
std::string makeOptionsJSON(const ZarezoOptions& options);
// The HTML as the inside of a JavaScript template literal.
std::string escapeForTemplateLiteral(std::string_view html);
// Calls html2md with the HTML and the options and returns what it gives; a failure inside it is
// rethrown with "Conversion failed: " before its message.
std::string makeConversionScript(std::string_view html, const ZarezoOptions& options);

}  // namespace pindrake::zarezo::html_to_md_script
