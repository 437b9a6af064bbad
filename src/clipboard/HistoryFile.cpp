#include "clipboard/HistoryFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "foundation/Ascii.h"
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

json* member(json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return nullptr;
    return &*it;
}

// The string under `key`, checked; null when there is none.
std::string* stringMember(json& object, const char* key) {
    json* value = member(object, key);
    if (value && !value->is_string())
        throw DecodingError(std::string("\"") + key + "\" is not a string");
    return value ? &value->get_ref<std::string&>() : nullptr;
}

std::optional<std::string> optionalString(json& object, const char* key) {
    const std::string* value = stringMember(object, key);
    return value ? std::optional(*value) : std::nullopt;
}

// The entry's text under `key`, or only its beginning under `key` + "Start". Moved out, for a
// history may hold texts of many megabytes: called once nothing else of the entry can fail, so
// an entry left out is kept with its texts.
void moveText(std::string* whole, std::string* start, std::optional<std::string>& text,
              bool& isStart) {
    isStart = !whole && start;
    if (whole || start)
        text = std::move(whole ? *whole : *start);
}

// The check recorded of the text under `key` + "Start": its length under `key` + "Length" and its
// digest under `key` + "Digest"; none unless both are there.
std::optional<KeptTextCheck> decodeCheck(json& object, const std::string& key) {
    const json* length = member(object, (key + "Length").c_str());
    const std::string* digest = stringMember(object, (key + "Digest").c_str());
    if (length && !length->is_number_unsigned())
        throw DecodingError("\"" + key + "Length\" is not a byte count");
    if (!length || !digest)
        return std::nullopt;
    KeptTextCheck check{length->get<std::uint64_t>(), {}};
    constexpr std::size_t digitsPerWord = 16;
    if (digest->size() != check.digest.size() * digitsPerWord)
        throw DecodingError("\"" + key + "Digest\" is not 32 hexadecimal digits");
    for (std::size_t at = 0; at < digest->size(); ++at) {
        const int digit = ascii::hexValue((*digest)[at]);
        if (digit < 0)
            throw DecodingError("\"" + key + "Digest\" is not 32 hexadecimal digits");
        auto& word = check.digest[at / digitsPerWord];
        word = word << 4 | static_cast<std::uint64_t>(digit);
    }
    return check;
}

std::string encodeDigest(const std::array<std::uint64_t, 2>& digest) {
    constexpr std::string_view digits = "0123456789abcdef";
    std::string text;
    for (std::uint64_t word : digest) {
        for (int shift = 60; shift >= 0; shift -= 4)
            text += digits[(word >> shift) & 0xF];
    }
    return text;
}

template <class Insert>
void forEachString(json& object, const char* key, Insert insert) {
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

// `seen` holds the ids of the entries decoded before, which this one may not repeat.
ClipboardItem decodeItem(json& object, const std::set<std::string, std::less<>>& seen) {
    if (!object.is_object())
        throw DecodingError("not an object");
    ClipboardItem item;

    const json* id = member(object, "id");
    if (!id || !id->is_string())
        throw DecodingError("no \"id\" string");
    auto uuid = canonicalUuid(id->get_ref<const std::string&>());
    if (!uuid)
        throw DecodingError("\"id\" is not a UUID");
    if (seen.contains(*uuid))
        throw DecodingError("it repeats the id " + *uuid);
    item.id = std::move(*uuid);

    const json* createdAt = member(object, "createdAt");
    if (!createdAt || !createdAt->is_number())
        throw DecodingError("no \"createdAt\" number");
    item.createdAt = {createdAt->get<double>()};

    std::string* const texts[] = {
        stringMember(object, "plainText"), stringMember(object, "plainTextStart"),
        stringMember(object, "htmlText"), stringMember(object, "htmlTextStart")};
    item.imageFilename = optionalString(object, "imageFilename");
    // Only the entry's own image file is ever read or deleted for it, whatever the file says.
    if (item.imageFilename && *item.imageFilename != imageFileName(item.id))
        item.imageFilename.reset();
    forEachString(object, "pasteboardTypes",
                  [&](const std::string& type) { item.pasteboardTypes.insert(type); });
    item.sourceBundleID = optionalString(object, "sourceBundleID");
    auto plainTextCheck = decodeCheck(object, "plainText");
    auto htmlTextCheck = decodeCheck(object, "htmlText");
    forEachString(object, "tags", [&](const std::string& raw) {
        if (auto tag = contentTagFromRawValue(raw))
            item.tags.insert(*tag);
    });
    moveText(texts[0], texts[1], item.plainText, item.plainTextIsStart);
    moveText(texts[2], texts[3], item.htmlText, item.htmlTextIsStart);
    // Only a text kept apart has a file to check.
    if (item.plainTextIsStart)
        item.plainTextCheck = plainTextCheck;
    if (item.htmlTextIsStart)
        item.htmlTextCheck = htmlTextCheck;
    return item;
}

// A text kept apart is written as its beginning, unless its file could not be written: then the
// history file holds it whole, as it holds any other text.
void encodeText(ordered_json& object, const std::string& key,
                const std::optional<std::string>& text, bool isStart,
                const std::shared_ptr<const std::string>& unwritten,
                const std::optional<KeptTextCheck>& check) {
    if (!text)
        return;
    if (isStart && !unwritten) {
        object[key + "Start"] = *text;
        if (check) {
            object[key + "Length"] = check->length;
            object[key + "Digest"] = encodeDigest(check->digest);
        }
    } else {
        object[key] = isStart ? *unwritten : *text;
    }
}

ordered_json encodeItem(const ClipboardItem& item, const UnwrittenText& unwritten,
                        const RecordedCheck& recorded) {
    const auto whole = [&](bool isStart, TextField field) {
        return isStart && unwritten ? unwritten(item.id, field) : nullptr;
    };
    const auto check = [&](const std::optional<KeptTextCheck>& own, TextField field) {
        return own || !recorded ? own : recorded(item.id, field);
    };
    ordered_json object = ordered_json::object();
    object["id"] = item.id;
    object["createdAt"] = item.createdAt.secondsSinceReferenceDate;
    ordered_json tags = ordered_json::array();
    for (ContentTag tag : item.tags)
        tags.push_back(rawValue(tag));
    object["tags"] = std::move(tags);
    encodeText(object, "plainText", item.plainText, item.plainTextIsStart,
               whole(item.plainTextIsStart, TextField::plainText),
               check(item.plainTextCheck, TextField::plainText));
    encodeText(object, "htmlText", item.htmlText, item.htmlTextIsStart,
               whole(item.htmlTextIsStart, TextField::htmlText),
               check(item.htmlTextCheck, TextField::htmlText));
    if (item.imageFilename)
        object["imageFilename"] = *item.imageFilename;
    object["pasteboardTypes"] = item.pasteboardTypes;
    if (item.sourceBundleID)
        object["sourceBundleID"] = *item.sourceBundleID;
    return object;
}

}  // namespace

std::string encode(const HistoryList& items, const UnwrittenText& unwritten,
                   const RecordedCheck& recorded) {
    ordered_json array = ordered_json::array();
    for (const auto& item : items)
        array.push_back(encodeItem(item, unwritten, recorded));
    return array.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

std::string imageFileName(std::string_view id) {
    return std::string(id) + ".png";
}

std::optional<Decoded> decode(std::string_view text) {
    // A stray invalid byte would otherwise make the whole file unreadable; it becomes U+FFFD
    // in the one entry that holds it.
    json array = unicode::isValidUtf8(text)
                     ? json::parse(text, nullptr, false)
                     : json::parse(unicode::sanitizedUtf8(text), nullptr, false);
    if (!array.is_array())
        return std::nullopt;

    Decoded decoded;
    decoded.items.reserve(array.size());
    std::set<std::string, std::less<>> ids;
    for (std::size_t index = 0; index < array.size(); ++index) {
        std::string problem;
        try {
            decoded.items.push_back(decodeItem(array[index], ids));
            ids.insert(decoded.items.back().id);
            continue;
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
