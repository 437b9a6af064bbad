#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pindrake::platform {

// The user's settings: a flat store of typed values by key. An absent key, `false` and a text
// are three different things and stay apart.
class Defaults {
  public:
    using Value = std::variant<bool, std::int64_t, double, std::string>;

    virtual ~Defaults() = default;

    virtual std::optional<Value> value(std::string_view key) const = 0;
    virtual void set(std::string_view key, Value value) = 0;
    virtual void remove(std::string_view key) = 0;
    // Every key holding a value, in the store's own order.
    virtual std::vector<std::string> keys() const = 0;
    // Whether anything is stored under the key, also a value of a kind `value` cannot give.
    virtual bool contains(std::string_view key) const { return value(key).has_value(); }

    std::optional<std::string> string(std::string_view key) const {
        auto v = value(key);
        if (v && std::holds_alternative<std::string>(*v))
            return std::get<std::string>(*v);
        return std::nullopt;
    }
    // Whole numbers only; a text or a Boolean is not a number.
    std::optional<std::int64_t> integer(std::string_view key) const {
        auto v = value(key);
        if (v && std::holds_alternative<std::int64_t>(*v))
            return std::get<std::int64_t>(*v);
        return std::nullopt;
    }
    // Absent reads as false.
    bool boolean(std::string_view key) const {
        auto v = value(key);
        return v && std::holds_alternative<bool>(*v) && std::get<bool>(*v);
    }
};

}  // namespace pindrake::platform
