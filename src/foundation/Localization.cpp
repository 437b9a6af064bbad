#include "foundation/Localization.h"

#include <libintl.h>

#include <clocale>
#include <set>
#include <string>

#include "foundation/Resources.h"

namespace pindrake {
namespace {

std::string& activeDomain() {
    static std::string domain;
    return domain;
}

std::filesystem::path catalogueFolder() {
    return resources::applicationFolder() / "locale";
}

}  // namespace

void setUpLocalization(std::string_view domain) {
    std::setlocale(LC_ALL, "");
    activeDomain() = domain;
    bindtextdomain(activeDomain().c_str(), catalogueFolder().c_str());
    bind_textdomain_codeset(activeDomain().c_str(), "UTF-8");
}

std::string localized(std::string_view key) {
    const std::string id(key);
    if (activeDomain().empty())
        return id;
    return dgettext(activeDomain().c_str(), id.c_str());
}

std::string localized(std::string_view domain, std::string_view key) {
    const std::string id(key);
    if (activeDomain().empty())
        return id;
    static std::set<std::string, std::less<>> bound;
    auto it = bound.find(domain);
    if (it == bound.end()) {
        it = bound.emplace(domain).first;
        bindtextdomain(it->c_str(), catalogueFolder().c_str());
        bind_textdomain_codeset(it->c_str(), "UTF-8");
    }
    return dgettext(it->c_str(), id.c_str());
}

}  // namespace pindrake
