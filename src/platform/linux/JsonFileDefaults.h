#pragma once

#include <filesystem>

#include <nlohmann/json.hpp>

#include "platform/Defaults.h"

namespace pindrake::platform {

// The user's settings as one JSON object in a file, rewritten whole and atomically on every
// change. JSON keeps the kinds apart: an absent member, `false` and a text never read as one
// another. Members of other kinds (from a hand edit) read as absent and are kept.
class JsonFileDefaults final : public Defaults {
  public:
    // $XDG_CONFIG_HOME/pindrake/defaults.json, with ~/.config when that is unset or relative.
    static std::filesystem::path standardPath();

    // Reads the file once. One that cannot be parsed is moved aside (".unreadable-" and the
    // UTC time) and reported, so that the next write does not destroy what it held.
    explicit JsonFileDefaults(std::filesystem::path path = standardPath());

    std::optional<Value> value(std::string_view key) const override;
    void set(std::string_view key, Value value) override;
    void remove(std::string_view key) override;
    std::vector<std::string> keys() const override;
    bool contains(std::string_view key) const override { return values_.contains(key); }

    const std::filesystem::path& path() const { return path_; }

  private:
    void load();
    void save() const;

    std::filesystem::path path_;
    nlohmann::json values_ = nlohmann::json::object();
};

}  // namespace pindrake::platform
