#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "Require.h"
#include "clipboard/HistoryFile.h"
#include "foundation/Unicode.h"

// Feeds arbitrary bytes to the history file reader, as a damaged or edited history.json would
// reach it. Whatever it accepts must name no file but its own image, repeat no id, give a title,
// and come back unchanged from a save and a reload.
namespace {

using pindrake::fuzz::require;
using namespace pindrake::clipboard;

bool isUpperCaseUuid(std::string_view id) {
    if (id.size() != 36)
        return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const char c = id[i];
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto decoded = history_file::decode(bytes);
    if (!decoded)
        return 0;
    for (const ClipboardItem& item : decoded->items) {
        require(isUpperCaseUuid(item.id), "an entry's id is a canonical UUID");
        require(std::isfinite(item.createdAt.secondsSinceReferenceDate), "createdAt is finite");
        require(!item.imageFilename || *item.imageFilename == item.id + ".png",
                "an entry names no image file but its own");
        require(pindrake::unicode::isValidUtf8(item.displayText()), "the title is valid UTF-8");
    }
    std::set<std::string> ids;
    for (const ClipboardItem& item : decoded->items)
        require(ids.insert(item.id).second, "no two entries share an id");
    require(decoded->skipped.size() == decoded->dropped.size(), "every left-out entry is kept");
    const auto reread = history_file::decode(history_file::encode(HistoryList(decoded->items)));
    require(reread.has_value(), "a saved history reads back");
    require(reread->skipped.empty(), "no saved entry is skipped on reading");
    require(reread->items == decoded->items, "a history survives a save and a reload");
    return 0;
}
