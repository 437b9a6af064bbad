#include <gtest/gtest.h>

#include <clocale>

#include "clipboard/ClipboardMonitor.h"
#include "clipboard/Url.h"
#include "platform/linux/PasteboardTypeMapping.h"

namespace pindrake::clipboard {
namespace {

// The application sets the user's locale for its message catalogues; protocol text must read
// the same under any of them. Under tr_TR the C library lowers 'I' to itself.
class TurkishLocaleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(std::setlocale(LC_ALL, "tr_TR.UTF-8"), nullptr)
            << "the test locale is built with the tests; LOCPATH must point at it";
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(TurkishLocaleTest, UrlsFileNamesAndClassesIgnoreTheLocale) {
    const auto url = Url::parse("HTTPS://WIKI.EXAMPLE.ORG:8080/INDEX");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme, "https");
    EXPECT_EQ(url->host, "wiki.example.org");

    EXPECT_EQ(filePathFromUrl("FILE:///docs/a.txt"), "/docs/a.txt");
    EXPECT_EQ(filePathFromUrl("file://LOCALHOST/docs/%4a%4A.txt"), "/docs/JJ.txt");
    EXPECT_TRUE(platform::linux_types::namesFile("# list\r\nFILE:///INDEX.TXT\r\n"));

    EXPECT_TRUE(
        ClipboardMonitor::detectTags("https://WIKI.EXAMPLE.ORG/INDEX").contains(ContentTag::url));
    EXPECT_TRUE(ClipboardMonitor::detectTags("#FFAAII").empty());
    EXPECT_TRUE(ClipboardMonitor::detectTags("#FFAA11").contains(ContentTag::colorCode));
}

}  // namespace
}  // namespace pindrake::clipboard
