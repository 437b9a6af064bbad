#include <gtest/gtest.h>

#include "platform/linux/PasteboardTypeMapping.h"

namespace pindrake::platform {
namespace {

TEST(PasteboardTypeMappingTest, TranslatesTheKnownTypesBothWaysAndKeepsOthers) {
    struct Case {
        std::string mime;
        std::string type;
        std::string writtenAs;
    };
    const std::vector<Case> cases = {
        {"text/plain", "public.utf8-plain-text", "text/plain"},
        {"text/plain;charset=utf-8", "public.utf8-plain-text", "text/plain"},
        {"text/html", "public.html", "text/html"},
        {"image/png", "public.png", "image/png"},
        {"image/tiff", "public.tiff", "image/tiff"},
        {"text/uri-list", "public.file-url", "text/uri-list"},
        {"application/x-custom", "application/x-custom", "application/x-custom"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(linux_types::typeForMime(c.mime), c.type) << c.mime;
        EXPECT_EQ(linux_types::mimeForType(c.type), c.writtenAs) << c.type;
    }
}

TEST(PasteboardTypeMappingTest, OnlyAUriListNamingAFileIsAFileReference) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"file:///home/u/a.png\r\n", true},
        {"# copied by a file manager\r\nFILE:///home/u/a.png\r\n", true},
        {"\r\nfile:///a\nhttps://example.com/\n", true},
        {"https://example.com/page\r\n", false},
        {"https://example.com/\nfile:///a\n", false},
        {"files:///a", false},
        {"", false},
    };
    for (const auto& [list, isFile] : cases) {
        EXPECT_EQ(linux_types::namesFile(list), isFile) << list;
    }
}

}  // namespace
}  // namespace pindrake::platform
