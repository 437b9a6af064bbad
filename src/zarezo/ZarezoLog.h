#pragma once

#include <string>
#include <string_view>

namespace pindrake::zarezo {

// The module's log lines, tagged with "com.zarezo" and the component that wrote them
// ("conversion", "turndown", "html-to-md"). Safe to use from any thread.
class ZarezoLog {
  public:
    explicit ZarezoLog(std::string_view category);

    // The foundation log has no separate debug stream, so debug lines go with the info ones.
    void debug(std::string_view message) const;
    void info(std::string_view message) const;
    void error(std::string_view message) const;

  private:
    std::string prefix_;
};

}  // namespace pindrake::zarezo
