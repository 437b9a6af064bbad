#include "platform/linux/JsonFileDefaults.h"

#include <cstdlib>
#include <limits>
#include <string>

#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/UserFolders.h"

namespace pindrake::platform {

namespace {

// Settings are a few hundred bytes; a file far beyond that is not ours to load.
constexpr std::size_t maxFileSize = 8 * 1024 * 1024;
// Our values are flat; deeper nesting in a hand-edited file is refused rather than walked.
constexpr int maxDepth = 16;

}  // namespace

std::filesystem::path JsonFileDefaults::standardPath() {
    return userFolders::configHome() / "pindrake" / "defaults.json";
}

JsonFileDefaults::JsonFileDefaults(std::filesystem::path path) : path_(std::move(path)) {
    load();
}

void JsonFileDefaults::load() {
    std::error_code error;
    if (!std::filesystem::exists(path_, error))
        return;
    const auto size = std::filesystem::file_size(path_, error);
    std::optional<std::string> text;
    if (!error && size <= maxFileSize)
        text = files::read(path_);

    bool tooDeep = false;
    nlohmann::json parsed;
    if (text) {
        parsed = nlohmann::json::parse(
            *text,
            [&](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
                if (depth > maxDepth)
                    tooDeep = true;
                return !tooDeep;
            },
            /*allow_exceptions=*/false);
    }
    if (text && !tooDeep && parsed.is_object()) {
        values_ = std::move(parsed);
        return;
    }
    const auto aside = files::asidePath(path_, "unreadable", std::chrono::system_clock::now());
    std::filesystem::rename(path_, aside, error);
    log::warning("Settings file " + path_.string() + " could not be read; " +
                 (error ? "left in place and ignored" : "moved to " + aside.string()));
}

std::vector<std::string> JsonFileDefaults::keys() const {
    std::vector<std::string> out;
    for (const auto& [key, value] : values_.items())
        out.push_back(key);
    return out;
}

std::optional<Defaults::Value> JsonFileDefaults::value(std::string_view key) const {
    auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    if (it->is_boolean())
        return Value(it->get<bool>());
    if (it->is_string())
        return Value(it->get<std::string>());
    if (it->is_number_unsigned()) {
        const auto number = it->get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return Value(static_cast<std::int64_t>(number));
        }
        return Value(static_cast<double>(number));
    }
    if (it->is_number_integer())
        return Value(it->get<std::int64_t>());
    if (it->is_number_float())
        return Value(it->get<double>());
    return std::nullopt;
}

void JsonFileDefaults::set(std::string_view key, Value value) {
    std::visit([&](auto&& v) { values_[std::string(key)] = v; }, value);
    save();
}

void JsonFileDefaults::remove(std::string_view key) {
    auto it = values_.find(key);
    if (it == values_.end())
        return;
    values_.erase(it);
    save();
}

void JsonFileDefaults::save() const {
    std::error_code error = files::createPrivateDirectory(path_.parent_path());
    if (!error) {
        // Invalid UTF-8 in a text is replaced rather than thrown on.
        error = files::writeAtomically(
            path_, values_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    }
    if (error) {
        log::warning("Settings could not be saved to " + path_.string() + ": " + error.message());
    }
}

}  // namespace pindrake::platform
