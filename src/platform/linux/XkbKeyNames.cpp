#include "platform/linux/XkbKeyNames.h"

#include <array>
#include <string>
#include <unordered_map>

namespace pindrake::platform {

namespace {

struct KeyName {
    std::uint16_t virtualKeyCode;
    const char* xkbName;
};

// The key at the same place on a PC keyboard. The function (fn) key has no counterpart; the
// extra keys of ISO and Japanese keyboards have codes of their own.
constexpr std::array<KeyName, 116> keyNames{{
    {0, "AC01"},    // a
    {1, "AC02"},    // s
    {2, "AC03"},    // d
    {3, "AC04"},    // f
    {4, "AC06"},    // h
    {5, "AC05"},    // g
    {6, "AB01"},    // z
    {7, "AB02"},    // x
    {8, "AB03"},    // c
    {9, "AB04"},    // v
    {10, "LSGT"},   // the ISO key beside left Shift
    {11, "AB05"},   // b
    {12, "AD01"},   // q
    {13, "AD02"},   // w
    {14, "AD03"},   // e
    {15, "AD04"},   // r
    {16, "AD06"},   // y
    {17, "AD05"},   // t
    {18, "AE01"},   // 1
    {19, "AE02"},   // 2
    {20, "AE03"},   // 3
    {21, "AE04"},   // 4
    {22, "AE06"},   // 6
    {23, "AE05"},   // 5
    {24, "AE12"},   // =
    {25, "AE09"},   // 9
    {26, "AE07"},   // 7
    {27, "AE11"},   // -
    {28, "AE08"},   // 8
    {29, "AE10"},   // 0
    {30, "AD12"},   // ]
    {31, "AD09"},   // o
    {32, "AD07"},   // u
    {33, "AD11"},   // [
    {34, "AD08"},   // i
    {35, "AD10"},   // p
    {36, "RTRN"},   // return
    {37, "AC09"},   // l
    {38, "AC07"},   // j
    {39, "AC11"},   // '
    {40, "AC08"},   // k
    {41, "AC10"},   // ;
    {42, "BKSL"},   // backslash
    {43, "AB08"},   // ,
    {44, "AB10"},   // /
    {45, "AB06"},   // n
    {46, "AB07"},   // m
    {47, "AB09"},   // .
    {48, "TAB"},    // tab
    {49, "SPCE"},   // space
    {50, "TLDE"},   // `
    {51, "BKSP"},   // delete
    {53, "ESC"},    // escape
    {54, "RWIN"},   // right command
    {55, "LWIN"},   // command
    {56, "LFSH"},   // shift
    {57, "CAPS"},   // caps lock
    {58, "LALT"},   // option
    {59, "LCTL"},   // control
    {60, "RTSH"},   // right shift
    {61, "RALT"},   // right option
    {62, "RCTL"},   // right control
    {64, "FK17"},   // F17
    {65, "KPDL"},   // keypad decimal
    {67, "KPMU"},   // keypad multiply
    {69, "KPAD"},   // keypad plus
    {71, "NMLK"},   // keypad clear (Num Lock on PC keyboards)
    {72, "VOL+"},   // volume up
    {73, "VOL-"},   // volume down
    {74, "MUTE"},   // mute
    {75, "KPDV"},   // keypad divide
    {76, "KPEN"},   // keypad enter
    {78, "KPSU"},   // keypad minus
    {79, "FK18"},   // F18
    {80, "FK19"},   // F19
    {81, "KPEQ"},   // keypad equals
    {82, "KP0"},    // keypad 0
    {83, "KP1"},    // keypad 1
    {84, "KP2"},    // keypad 2
    {85, "KP3"},    // keypad 3
    {86, "KP4"},    // keypad 4
    {87, "KP5"},    // keypad 5
    {88, "KP6"},    // keypad 6
    {89, "KP7"},    // keypad 7
    {90, "FK20"},   // F20
    {91, "KP8"},    // keypad 8
    {92, "KP9"},    // keypad 9
    {93, "AE13"},   // Japanese Yen
    {94, "AB11"},   // Japanese Ro (backslash and underscore)
    {95, "JPCM"},   // Japanese keypad comma
    {96, "FK05"},   // F5
    {97, "FK06"},   // F6
    {98, "FK07"},   // F7
    {99, "FK03"},   // F3
    {100, "FK08"},  // F8
    {101, "FK09"},  // F9
    {103, "FK11"},  // F11
    {105, "FK13"},  // F13
    {106, "FK16"},  // F16
    {107, "FK14"},  // F14
    {109, "FK10"},  // F10
    {111, "FK12"},  // F12
    {113, "FK15"},  // F15
    {114, "INS"},   // help (Insert on PC keyboards)
    {115, "HOME"},  // home
    {116, "PGUP"},  // page up
    {117, "DELE"},  // forward delete
    {118, "FK04"},  // F4
    {119, "END"},   // end
    {120, "FK02"},  // F2
    {121, "PGDN"},  // page down
    {122, "FK01"},  // F1
    {123, "LEFT"},  // left arrow
    {124, "RGHT"},  // right arrow
    {125, "DOWN"},  // down arrow
    {126, "UP"},    // up arrow
}};

}  // namespace

std::optional<std::string_view> xkbKeyName(std::uint16_t virtualKeyCode) {
    static const auto byCode = [] {
        std::unordered_map<std::uint16_t, std::string_view> map;
        for (const auto& key : keyNames)
            map.emplace(key.virtualKeyCode, key.xkbName);
        return map;
    }();
    auto it = byCode.find(virtualKeyCode);
    if (it == byCode.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::uint16_t> virtualKeyCode(std::string_view xkbName) {
    static const auto byName = [] {
        std::unordered_map<std::string_view, std::uint16_t> map;
        for (const auto& key : keyNames)
            map.emplace(key.xkbName, key.virtualKeyCode);
        return map;
    }();
    auto it = byName.find(xkbName);
    if (it == byName.end())
        return std::nullopt;
    return it->second;
}

}  // namespace pindrake::platform
