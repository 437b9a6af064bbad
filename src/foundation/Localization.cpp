#include "foundation/Localization.h"

#include <libintl.h>

#include <clocale>
#include <string>

#include "foundation/Resources.h"

namespace pindrake {
namespace {

std::string& activeDomain() {
    static std::string domain;
    return domain;
}

}  // namespace

void setUpLocalization(std::string_view domain) {
    std::setlocale(LC_ALL, "");
    activeDomain() = domain;
    const auto catalogues = resources::applicationFolder() / "locale";
    bindtextdomain(activeDomain().c_str(), catalogues.c_str());
    bind_textdomain_codeset(activeDomain().c_str(), "UTF-8");
}

std::string localized(std::string_view key) {
    const std::string id(key);
    if (activeDomain().empty())
        return id;
    return dgettext(activeDomain().c_str(), id.c_str());
}

}  // namespace pindrake
