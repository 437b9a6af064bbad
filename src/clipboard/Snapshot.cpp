#include "clipboard/Snapshot.h"

#include <nlohmann/json.hpp>

#include "clipboard/Base64.h"
#include "foundation/Unicode.h"

namespace pindrake::clipboard::snapshot {

using nlohmann::ordered_json;

namespace {

// A type's name is written as it is when it is valid UTF-8. Any other name, and one that starts
// with this mark, is written as the mark and the name's bytes in Base64, so that every name
// comes back byte for byte and two names never become one. Files written before names were
// escaped hold no name that starts with the mark, and read as they always did.
constexpr std::string_view escapedNameMark{"\0", 1};

std::string writtenName(const std::string& type) {
    if (unicode::isValidUtf8(type) && !type.starts_with(escapedNameMark))
        return type;
    return std::string(escapedNameMark) + base64::encode(type);
}

std::string readName(const std::string& key) {
    if (key.starts_with(escapedNameMark)) {
        if (auto name = base64::decode(key.substr(escapedNameMark.size())))
            return std::move(*name);
    }
    return key;
}

}  // namespace

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
        json += ordered_json(writtenName(entry.type)).dump();
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
            contents.set(readName(type), std::move(*bytes));
        }
    }
    if (contents.empty())
        return std::nullopt;
    return contents;
}

}  // namespace pindrake::clipboard::snapshot
