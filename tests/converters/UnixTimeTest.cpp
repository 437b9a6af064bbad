#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cstdlib>
#include <ctime>
#include <memory>

#include "ConverterTestSupport.h"

namespace pindrake::converters {
namespace {

using testing::plainTextResult;
using testing::text;

// The instant 2023-11-14 22:13:20 UTC.
constexpr const char* seconds = "1700000000";

struct Environment {
    std::string timeZone;
    std::string locale;
};

void PrintTo(const Environment& environment, std::ostream* out) {
    *out << environment.timeZone << ", " << environment.locale;
}

// The user's zone and locale must not matter: each case runs under several.
class UnixTimeTest : public ::testing::TestWithParam<Environment> {
  protected:
    void SetUp() override {
        savedZone_.reset(icu::TimeZone::createDefault());
        savedLocale_ = icu::Locale::getDefault();
        const char* tz = std::getenv("TZ");
        savedTz_ = tz ? std::optional<std::string>(tz) : std::nullopt;
        setenv("TZ", GetParam().timeZone.c_str(), 1);
        tzset();
        icu::TimeZone::adoptDefault(
            icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(GetParam().timeZone)));
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(GetParam().locale.c_str()), status);
    }

    void TearDown() override {
        icu::TimeZone::setDefault(*savedZone_);
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(savedLocale_, status);
        if (savedTz_) {
            setenv("TZ", savedTz_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    std::optional<std::string> convert(const std::string& converter, const std::string& input) {
        const auto content = text(input, {clipboard::ContentTag::unixTime});
        const auto result = harness.run(harness.named(converter), content);
        if (!result || *result == content)
            return std::nullopt;
        EXPECT_EQ(*result, plainTextResult(*result->plainText));
        return result->plainText;
    }

    testing::ConverterHarness harness;

  private:
    std::unique_ptr<icu::TimeZone> savedZone_;
    icu::Locale savedLocale_;
    std::optional<std::string> savedTz_;
};

TEST_P(UnixTimeTest, UnixTimeBecomesJapanTime) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"0", "1970-01-01 09:00:00 JST"},
        {seconds, "2023-11-15 07:13:20 JST"},
        {"1700000000000", "2023-11-15 07:13:20 JST"},  // 13 characters: milliseconds
        {"1700000000999", "2023-11-15 07:13:20 JST"},  // the fraction is not rounded up
        {" 1700000000\n", "2023-11-15 07:13:20 JST"},
        {"170000000000", "7357-01-31 23:13:20 JST"},    // 12 digits: still seconds
        {"00001700000000", "2023-11-15 07:13:20 JST"},  // 14 digits: seconds too
        {"17000000000000", "540678-07-22 15:13:20 JST"},
        {"99999999999999", "3170843-11-07 18:46:39 JST"},
        {"-86400", "1969-12-31 09:00:00 JST"},
        {"+1.7e9", "2023-11-15 07:13:20 JST"},
        {"17000000OO", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"1e300", std::nullopt},
        {"0x10", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(convert("unix.toDate", input), expected) << input;
}

TEST_P(UnixTimeTest, DateTextsBecomeUnixTime) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"2023-11-15 07:13:20", seconds},      {"2023-11-15 07:13:20 JST", seconds},
        {"  2023/11/15 07:13:20\n", seconds},  {"2023-11-15T07:13:20", seconds},
        {"2023-11-14T22:13:20+0000", seconds},  // the offset, not Japan time
        {"2023-11-15T07:13:20+0900", seconds}, {"2023-11-15", "1699974000"},
        {"1969-12-31 09:00:00", "-86400"},     {"Nov 15, 2023", std::nullopt},
        {"2023-11-15 07:13", std::nullopt},    {"2023-11-15 07:13:20 and more", std::nullopt},
        {"2023-13-45", std::nullopt},          {"", std::nullopt},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(convert("unix.fromDate", input), expected) << input;
    const std::string date = convert("unix.toDate", "1234567890").value_or("");
    EXPECT_EQ(convert("unix.fromDate", date), "1234567890");
}

INSTANTIATE_TEST_SUITE_P(
    UserSettings, UnixTimeTest,
    ::testing::Values(Environment{"UTC", "en_US"},
                      Environment{"America/New_York", "ja_JP@calendar=japanese"},
                      Environment{"Asia/Kolkata", "th_TH@calendar=buddhist;numbers=thai"},
                      Environment{"Europe/Berlin", "ar_EG@numbers=arab"}));

}  // namespace
}  // namespace pindrake::converters
