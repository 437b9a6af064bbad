#include "foundation/Localization.h"

#include <libintl.h>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Resources.h"

namespace pindrake {
namespace {

using Texts = std::unordered_map<std::string, std::string>;

std::string& activeDomain() {
    static std::string domain;
    return domain;
}

std::filesystem::path catalogueFolder() {
    return resources::applicationFolder() / "locale";
}

void bind(const std::string& domain) {
    bindtextdomain(domain.c_str(), catalogueFolder().c_str());
    bind_textdomain_codeset(domain.c_str(), "UTF-8");
}

// The texts of a compiled catalogue (the machine's byte order, as msgfmt writes it): every
// length and offset is checked against the file, and a file that is not a catalogue gives none.
Texts readCatalogue(const std::filesystem::path& path) {
    Texts texts;
    const auto bytes = files::read(path);
    if (!bytes)
        return texts;
    const std::string_view file(*bytes);
    const auto word = [file](std::uint64_t at) -> std::optional<std::uint32_t> {
        if (at > file.size() || file.size() - at < 4)
            return std::nullopt;
        std::uint32_t value;
        std::memcpy(&value, file.data() + at, 4);
        return value;
    };
    // A table's entry is a string's length and then its offset in the file.
    const auto string = [&](std::uint64_t entry) -> std::optional<std::string_view> {
        const auto length = word(entry), offset = word(entry + 4);
        if (!length || !offset || *offset > file.size() || file.size() - *offset < *length)
            return std::nullopt;
        return file.substr(*offset, *length);
    };
    const auto count = word(8), keys = word(12), values = word(16);
    if (word(0) != 0x950412deU || !count || !keys || !values) {
        log::warning("Not a message catalogue: " + path.string());
        return texts;
    }
    for (std::uint64_t i = 0; i < *count; ++i) {
        const auto key = string(*keys + 8 * i), value = string(*values + 8 * i);
        if (!key || !value) {
            log::warning("A message catalogue ends early: " + path.string());
            break;
        }
        texts.emplace(*key, *value);
    }
    return texts;
}

struct Domain {
    std::string name;
    std::once_flag englishRead;
    // What a language without a catalogue, or a message its catalogue lacks, shows.
    Texts english;
};

// Each domain is bound to the catalogue folder on its first use.
Domain& domainNamed(std::string_view name) {
    static std::mutex mutex;
    static std::map<std::string, Domain, std::less<>> domains;
    std::lock_guard lock(mutex);
    auto it = domains.find(name);
    if (it == domains.end()) {
        it = domains.try_emplace(std::string(name)).first;
        it->second.name = it->first;
        bind(it->first);
    }
    return it->second;
}

std::string lookUp(std::string_view domainName, std::string_view key) {
    Domain& domain = domainNamed(domainName);
    const std::string id(key);
    const char* text = dgettext(domain.name.c_str(), id.c_str());
    // gettext gives back the very key it was given when the language has no text for it.
    if (text != id.c_str())
        return text;
    std::call_once(domain.englishRead, [&domain] {
        domain.english =
            readCatalogue(catalogueFolder() / "en" / "LC_MESSAGES" / (domain.name + ".mo"));
    });
    const auto english = domain.english.find(id);
    return english == domain.english.end() ? id : english->second;
}

}  // namespace

void setUpLocalization(std::string_view domain) {
    std::setlocale(LC_ALL, "");
    activeDomain() = domain;
    bind(activeDomain());
}

std::string localized(std::string_view key) {
    if (activeDomain().empty())
        return std::string(key);
    return lookUp(activeDomain(), key);
}

std::string localized(std::string_view domain, std::string_view key) {
    if (activeDomain().empty())
        return std::string(key);
    return lookUp(domain, key);
}

}  // namespace pindrake
