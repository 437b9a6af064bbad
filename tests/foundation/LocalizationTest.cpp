#include "foundation/Localization.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace pindrake {
namespace {

// A language without a catalogue (German here) reads in English, in the application's domain and
// in a module's own, never as keys.
TEST(Localization, KeysReadAsTheirCatalogueTextAndUnknownKeysAsThemselves) {
    ::setenv("LANGUAGE", "ja", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    setUpLocalization("pindrake");
    EXPECT_EQ(localized("toast_copied"), "コピーしました");
    EXPECT_EQ(localized("no_such_key"), "no_such_key");

    ::setenv("LANGUAGE", "en", 1);
    setUpLocalization("pindrake");
    EXPECT_EQ(localized("toast_copied"), "Copied");

    ::setenv("LANGUAGE", "de", 1);
    setUpLocalization("pindrake");
    EXPECT_EQ(localized("toast_copied"), "Copied");
    EXPECT_EQ(localized("pindrake-shortcuts", "record_shortcut"), "Record Shortcut");
    EXPECT_EQ(localized("no_such_key"), "no_such_key");
}

}  // namespace
}  // namespace pindrake
