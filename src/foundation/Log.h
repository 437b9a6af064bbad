#pragma once

#include <string_view>

namespace pindrake::log {

// The program's few diagnostic lines, written to standard output as whole lines.
void diagnostic(std::string_view line);
// What was dropped or went wrong in the background, for whoever reads standard error.
void warning(std::string_view line);

}  // namespace pindrake::log
