#include "app/views/PanelRules.h"

#include <algorithm>

#include "foundation/Unicode.h"
#include "shortcuts/DesktopKeyNames.h"

namespace pindrake::app::views {

using clipboard::ContentTag;

ListAreaState listAreaState(bool hasFilteredItems, bool queryIsEmpty, bool storeIsEmpty,
                            bool isStillSearching) {
    if (hasFilteredItems)
        return ListAreaState::list;
    // Whole texts are still being searched: a match may yet join.
    if (!queryIsEmpty && isStillSearching)
        return ListAreaState::nothing;
    if (!queryIsEmpty)
        return ListAreaState::noMatchingHistory;
    // The store has entries the filter has not caught up with yet: show nothing meanwhile.
    if (!storeIsEmpty)
        return ListAreaState::nothing;
    return ListAreaState::noClipboardHistory;
}

RowIcon rowIcon(const clipboard::ClipboardItem& item, bool hasAppIcon) {
    const auto& types = item.pasteboardTypes;
    if (types.contains("public.file-url") && item.plainText)
        return RowIcon::fileIcon;
    if (types.contains("public.png") || types.contains("public.tiff"))
        return RowIcon::photo;
    if (item.tags.contains(ContentTag::url))
        return RowIcon::siteIcon;
    if (item.sourceBundleID && hasAppIcon)
        return RowIcon::appIcon;
    if (item.tags.contains(ContentTag::json))
        return RowIcon::json;
    if (types.contains("public.html"))
        return RowIcon::richText;
    return RowIcon::plainText;
}

double highlightOpacity(bool isSelected, bool isFocused, bool isDark) {
    if (!isSelected)
        return 0;
    if (isFocused)
        return isDark ? 0.15 : 0.08;
    return isDark ? 0.07 : 0.04;
}

std::optional<int> highlightedConverterRow(int selectedIndex, bool isFocused, int count) {
    const int row = isFocused ? selectedIndex : 0;
    if (row < 0 || row >= count)
        return std::nullopt;
    return row;
}

std::vector<KeyHint> keyHints(bool isConverterMenuOpen) {
    using namespace GlobalShortcuts;
    const std::string escape = desktopKeyName(SpecialKey::escape);
    if (isConverterMenuOpen)
        return {{"←", "hint_back"}, {escape, "hint_close"}};
    // Delete is Command-Delete, which inside the app's windows is Ctrl+Backspace.
    const std::string deleteKey =
        desktopKeyName(ModifierFlag::command, desktopKeyName(SpecialKey::delete_), KeyScope::inApp);
    return {{"→", "hint_convert"}, {deleteKey, "hint_delete"}, {escape, "hint_close"}};
}

std::string previewText(std::string_view text) {
    bool isWhole = false;
    const std::string prefix = unicode::clippedGraphemePrefix(
        text, previewTextLimit, shownCodePointsPerCharacter, &isWhole);
    return isWhole ? prefix : prefix + "…";
}

std::string rowTitle(const clipboard::ClipboardItem& item) {
    // The title is already short in characters, not in what they hold.
    const std::string title = item.displayText();
    return unicode::clippedGraphemePrefix(title, title.size(), shownCodePointsPerCharacter);
}

Size thumbnailSize(Size image, double maxSize) {
    if (image.width <= maxSize && image.height <= maxSize)
        return image;
    const double scale = std::min(maxSize / image.width, maxSize / image.height);
    return {image.width * scale, image.height * scale};
}

bool DoubleClickDetector::click(int position, TimePoint now, Duration interval) {
    const bool isDouble = lastPosition_ == position && now - lastTime_ < interval;
    lastPosition_ = position;
    lastTime_ = now;
    return isDouble;
}

}  // namespace pindrake::app::views
