#include "zarezo/ZarezoLog.h"

#include "foundation/Log.h"

namespace pindrake::zarezo {

ZarezoLog::ZarezoLog(std::string_view category)
    : prefix_("[com.zarezo:" + std::string(category) + "] ") {}

void ZarezoLog::debug(std::string_view message) const {
    info(message);
}

void ZarezoLog::info(std::string_view message) const {
    log::diagnostic(prefix_ + std::string(message));
}

void ZarezoLog::error(std::string_view message) const {
    log::warning(prefix_ + std::string(message));
}

}  // namespace pindrake::zarezo
