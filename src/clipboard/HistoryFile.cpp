#include "clipboard/HistoryFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "foundation/Unicode.h"
#include "foundation/Uuid.h"

namespace pindrake::clipboard::history_file {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

class DecodingError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

const json* member(const json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return nullptr;
    return &*it;
}

std::optional<std::string> optionalString(const json& object, const char* key) {
    const json* value = member(object, key);
    if (!value)
        return std::nullopt;
    if (!value->is_string())
        throw DecodingError(std::string("\"") + key + "\" is not a string");
    return value->get<std::string>();
}

template <class Insert>
void forEachString(const json& object, const char* key, Insert insert) {
    const json* value = member(object, key);
    if (!value)
        return;
    if (!value->is_array())
        throw DecodingError(std::string("\"") + key + "\" is not an array");
    for (const json& element : *value) {
        if (!element.is_string()) {
            throw DecodingError(std::string("\"") + key + "\" holds a value that is not a string");
        }
        insert(element.get_ref<const std::string&>());
    }
}

ClipboardItem decodeItem(const json& object) {
    if (!object.is_object())
        throw DecodingError("not an object");
    ClipboardItem item;

    const json* id = member(object, "id");
    if (!id || !id->is_string())
        throw DecodingError("no \"id\" string");
    auto uuid = canonicalUuid(id->get_ref<const std::string&>());
    if (!uuid)
        throw DecodingError("\"id\" is not a UUID");
    item.id = std::move(*uuid);

    const json* createdAt = member(object, "createdAt");
    if (!createdAt || !createdAt->is_number())
        throw DecodingError("no \"createdAt\" number");
    item.createdAt = {createdAt->get<double>()};

    item.plainText = optionalString(object, "plainText");
    item.htmlText = optionalString(object, "htmlText");
    item.imageFilename = optionalString(object, "imageFilename");
    // Only the entry's own image file is ever read or deleted for it, whatever the file says.
    if (item.imageFilename && *item.imageFilename != imageFileName(item.id))
        item.imageFilename.reset();
    forEachString(object, "pasteboardTypes",
                  [&](const std::string& type) { item.pasteboardTypes.insert(type); });
    item.sourceBundleID = optionalString(object, "sourceBundleID");
    forEachString(object, "tags", [&](const std::string& raw) {
        if (auto tag = contentTagFromRawValue(raw))
            item.tags.insert(*tag);
    });
    return item;
}

ordered_json encodeItem(const ClipboardItem& item) {
    ordered_json object = ordered_json::object();
    object["id"] = item.id;
    object["createdAt"] = item.createdAt.secondsSinceReferenceDate;
    ordered_json tags = ordered_json::array();
    for (ContentTag tag : item.tags)
        tags.push_back(rawValue(tag));
    object["tags"] = std::move(tags);
    if (item.plainText)
        object["plainText"] = *item.plainText;
    if (item.htmlText)
        object["htmlText"] = *item.htmlText;
    if (item.imageFilename)
        object["imageFilename"] = *item.imageFilename;
    object["pasteboardTypes"] = item.pasteboardTypes;
    if (item.sourceBundleID)
        object["sourceBundleID"] = *item.sourceBundleID;
    return object;
}

}  // namespace

std::string encode(const HistoryList& items) {
    ordered_json array = ordered_json::array();
    for (const auto& item : items)
        array.push_back(encodeItem(item));
    return array.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

std::string imageFileName(std::string_view id) {
    return std::string(id) + ".png";
}

std::optional<Decoded> decode(std::string_view text) {
    // A stray invalid byte would otherwise make the whole file unreadable; it becomes U+FFFD
    // in the one entry that holds it.
    const std::string repaired = unicode::sanitizedUtf8(text);
    json array = json::parse(repaired, nullptr, false);
    if (!array.is_array())
        return std::nullopt;

    Decoded decoded;
    decoded.items.reserve(array.size());
    std::set<std::string, std::less<>> ids;
    for (std::size_t index = 0; index < array.size(); ++index) {
        std::string problem;
        try {
            ClipboardItem item = decodeItem(array[index]);
            if (ids.insert(item.id).second) {
                decoded.items.push_back(std::move(item));
                continue;
            }
            problem = "it repeats the id " + item.id;
        } catch (const std::exception& error) {
            problem = error.what();
        }
        decoded.skipped.push_back("entry " + std::to_string(index) + ": " + problem);
        decoded.dropped.push_back(
            array[index].dump(-1, ' ', false, json::error_handler_t::replace));
    }
    return decoded;
}

bool isBareFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

}  // namespace pindrake::clipboard::history_file
