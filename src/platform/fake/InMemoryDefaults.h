#pragma once

#include <map>

#include "platform/Defaults.h"

namespace pindrake::platform {

class InMemoryDefaults final : public Defaults {
  public:
    std::optional<Value> value(std::string_view key) const override {
        auto it = values_.find(key);
        if (it == values_.end())
            return std::nullopt;
        return it->second;
    }
    void set(std::string_view key, Value value) override {
        values_.insert_or_assign(std::string(key), std::move(value));
    }
    void remove(std::string_view key) override {
        auto it = values_.find(key);
        if (it != values_.end())
            values_.erase(it);
    }

    std::vector<std::string> keys() const override {
        std::vector<std::string> out;
        for (const auto& [key, value] : values_)
            out.push_back(key);
        return out;
    }

  private:
    std::map<std::string, Value, std::less<>> values_;
};

}  // namespace pindrake::platform
