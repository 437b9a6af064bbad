#include "foundation/UriList.h"

#include <algorithm>

namespace pindrake::uri_list {

std::string_view firstUri(std::string_view list) {
    while (!list.empty()) {
        const auto end = std::min(list.find('\n'), list.size());
        std::string_view line = list.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!line.empty() && !line.starts_with('#'))
            return line;
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return {};
}

}  // namespace pindrake::uri_list
