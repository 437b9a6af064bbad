#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/KeyboardLayout.h"

namespace pindrake::platform {

// A US keyboard: letters, digits and punctuation by their virtual key codes. Tests may change a
// key's character or take it away (a dead key).
class FixedKeyboardLayout final : public KeyboardLayout {
  public:
    FixedKeyboardLayout()
        : characters_{{0, "a"},  {11, "b"},  {8, "c"},  {2, "d"},  {14, "e"}, {3, "f"},  {5, "g"},
                      {4, "h"},  {34, "i"},  {38, "j"}, {40, "k"}, {37, "l"}, {46, "m"}, {45, "n"},
                      {31, "o"}, {35, "p"},  {12, "q"}, {15, "r"}, {1, "s"},  {17, "t"}, {32, "u"},
                      {9, "v"},  {13, "w"},  {7, "x"},  {16, "y"}, {6, "z"},  {29, "0"}, {18, "1"},
                      {19, "2"}, {20, "3"},  {21, "4"}, {23, "5"}, {22, "6"}, {26, "7"}, {28, "8"},
                      {25, "9"}, {42, "\\"}, {50, "`"}, {43, ","}, {24, "="}, {27, "-"}, {47, "."},
                      {39, "'"}, {41, ";"},  {44, "/"}, {33, "["}, {30, "]"}} {}

    std::optional<std::string> characterFor(std::uint16_t keyCode) const override {
        auto it = characters_.find(keyCode);
        if (it == characters_.end())
            return std::nullopt;
        return it->second;
    }

    void setCharacter(std::uint16_t keyCode, std::optional<std::string> character) {
        if (character) {
            characters_[keyCode] = *character;
        } else {
            characters_.erase(keyCode);
        }
    }

  private:
    std::map<std::uint16_t, std::string> characters_;
};

}  // namespace pindrake::platform
