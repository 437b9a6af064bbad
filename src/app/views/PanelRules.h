#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clipboard/ClipboardItem.h"
#include "foundation/Scheduler.h"

namespace pindrake::app::views {

// What the history column shows below its search field.
enum class ListAreaState { list, noMatchingHistory, nothing, noClipboardHistory };
ListAreaState listAreaState(bool hasFilteredItems, bool queryIsEmpty, bool storeIsEmpty,
                            bool isStillSearching);

// The leading symbol of a history row, first matching rule.
enum class RowIcon { fileIcon, photo, siteIcon, appIcon, json, richText, plainText };
RowIcon rowIcon(const clipboard::ClipboardItem& item, bool hasAppIcon);

// The selected row's highlight (black on light, white on dark) opacity; 0 when not selected.
double highlightOpacity(bool isSelected, bool isFocused, bool isDark);

// The converter row that is highlighted: the chosen one while the menu has the keyboard, else
// the first; none when that row does not exist.
std::optional<int> highlightedConverterRow(int selectedIndex, bool isFocused, int count);

struct KeyHint {
    std::string keyText;
    std::string labelKey;
};
std::vector<KeyHint> keyHints(bool isConverterMenuOpen);

// Text shown in the preview: at most 500 user-perceived characters, then "…".
std::string previewText(std::string_view text);
inline constexpr std::size_t previewTextLimit = 500;
// What a row shows of an entry: its title.
std::string rowTitle(const clipboard::ClipboardItem& item);
// Laying out one character costs in proportion to its code points, which a text from outside
// may pile up by the thousand (a letter and its combining marks): what the panel lays out keeps
// only the first of them, more than any real character holds.
inline constexpr std::size_t shownCodePointsPerCharacter = 32;

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};
// Scales a picture down, keeping its aspect ratio, to fit a square of `maxSize`.
Size thumbnailSize(Size image, double maxSize);

// Tells a second click on the same position within the double-click interval from a first one.
// A third quick click on the same position counts as another double click.
class DoubleClickDetector {
  public:
    bool click(int position, TimePoint now, Duration interval);

  private:
    std::optional<int> lastPosition_;
    TimePoint lastTime_{};
};

}  // namespace pindrake::app::views
