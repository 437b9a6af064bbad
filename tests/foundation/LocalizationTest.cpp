#include "foundation/Localization.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace pindrake {
namespace {

TEST(Localization, KeysReadAsTheirCatalogueTextAndUnknownKeysAsThemselves) {
    ::setenv("LANGUAGE", "ja", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    setUpLocalization("pindrake");
    EXPECT_EQ(localized("toast_copied"), "コピーしました");
    EXPECT_EQ(localized("no_such_key"), "no_such_key");

    ::setenv("LANGUAGE", "en", 1);
    setUpLocalization("pindrake");
    EXPECT_EQ(localized("toast_copied"), "Copied");
}

}  // namespace
}  // namespace pindrake
