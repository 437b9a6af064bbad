#include <gtest/gtest.h>

#include "clipboard/Base64.h"
#include "clipboard/Url.h"

namespace pindrake::clipboard {
namespace {

TEST(UrlTest, PortsStopAt65535) {
    const std::pair<const char*, std::optional<int>> accepted[] = {
        {"http://example.com:0/", 0},
        {"http://example.com:65535/", 65535},
        {"http://[::1]:8080/", 8080},
    };
    for (const auto& [text, port] : accepted) {
        const auto url = Url::parse(text);
        ASSERT_TRUE(url) << text;
        EXPECT_EQ(url->port, port) << text;
    }
    for (const char* text :
         {"http://example.com:65536/", "http://example.com:4294967297/",
          "http://example.com:99999999999999999999/", "http://a:-1/", "http://a:+80/"})
        EXPECT_EQ(Url::parse(text), std::nullopt) << text;
}

// A file URL names a local file only: another host or an escaped NUL (which would cut the path
// short for the system) names none.
TEST(UrlTest, FileUrlsNameLocalPathsOnly) {
    EXPECT_EQ(filePathFromUrl("file:///tmp/a%20b.txt"), "/tmp/a b.txt");
    EXPECT_EQ(filePathFromUrl("file://localhost/tmp/a"), "/tmp/a");
    EXPECT_EQ(filePathFromUrl("file:/tmp/a"), "/tmp/a");
    for (const char* text : {"file://otherhost/tmp/a", "file://otherhost/", "file:///tmp/a%00.txt",
                             "file:///tmp/%00", "file:///tmp/a%0", "file:///tmp/a%zz"})
        EXPECT_EQ(filePathFromUrl(text), std::nullopt) << text;
}

TEST(Base64Test, PaddingIsOneOrTwoEqualsSignsAtTheEnd) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"YQ==", "a"},          {"YWI=", "ab"},
        {"YWJj", "abc"},        {"", ""},
        {"Y===", std::nullopt}, {"====", std::nullopt},
        {"YQ=a", std::nullopt}, {"YQ==YWJj", std::nullopt},
        {"YWJ", std::nullopt},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(base64::decode(text), bytes) << text;
        EXPECT_EQ(base64::isValid(text), bytes.has_value()) << text;
    }
}

}  // namespace
}  // namespace pindrake::clipboard
