#include "clipboard/Snapshot.h"

#include <nlohmann/json.hpp>

#include "clipboard/Base64.h"

namespace pindrake::clipboard::snapshot {

using nlohmann::ordered_json;

std::optional<std::string> encode(const platform::PasteboardContents& contents) {
    if (contents.empty())
        return std::nullopt;
    // Written by hand: the values can be tens of megabytes, and Base64 never needs escaping.
    std::size_t size = 2;
    for (const auto& entry : contents.entries())
        size += entry.type.size() + entry.data.size() * 4 / 3 + 16;
    std::string json;
    json.reserve(size);
    json += '{';
    for (const auto& entry : contents.entries()) {
        if (json.size() > 1)
            json += ',';
        json +=
            ordered_json(entry.type).dump(-1, ' ', false, ordered_json::error_handler_t::replace);
        json += ":\"";
        json += base64::encode(entry.data);
        json += '"';
    }
    json += '}';
    return json;
}

std::optional<platform::PasteboardContents> decode(std::string_view text) {
    const ordered_json object = ordered_json::parse(text, nullptr, false);
    if (!object.is_object())
        return std::nullopt;
    for (const auto& [type, value] : object.items()) {
        if (!value.is_string())
            return std::nullopt;
    }
    platform::PasteboardContents contents;
    for (const auto& [type, value] : object.items()) {
        if (auto bytes = base64::decode(value.get_ref<const std::string&>())) {
            contents.set(type, std::move(*bytes));
        }
    }
    if (contents.empty())
        return std::nullopt;
    return contents;
}

}  // namespace pindrake::clipboard::snapshot
