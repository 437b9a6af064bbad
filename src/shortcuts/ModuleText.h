#pragma once

#include <string>
#include <string_view>

namespace pindrake::GlobalShortcuts {

// A text of the shortcuts module by its key, from the module's own catalogue (domain
// "pindrake-shortcuts"); the key itself when the catalogue has none.
std::string moduleText(std::string_view key);

}  // namespace pindrake::GlobalShortcuts
