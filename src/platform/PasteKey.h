#pragma once

#include <string_view>

namespace pindrake::platform {

// The key that makes an application paste the clipboard.
enum class PasteKey {
    controlV,
    controlShiftV,  // terminal emulators, where Ctrl+V is a control character
    shiftInsert,    // terminals that paste the primary selection only
};

// By the class of the application's window (WM_CLASS), ignoring ASCII case.
PasteKey pasteKeyForWindowClass(std::string_view windowClass);

}  // namespace pindrake::platform
