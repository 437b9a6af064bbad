#include <gtest/gtest.h>

#include "clipboard/Snapshot.h"

namespace pindrake::clipboard {
namespace {

using platform::PasteboardContents;

TEST(SnapshotTest, EveryTypeNameComesBackByteForByte) {
    // Private types whose names differ only in bytes that are not UTF-8, and names that look
    // like the escape of another.
    const PasteboardContents contents = {{"public.html", "<b>"},
                                         {"x-private-\xFF", "first"},
                                         {"x-private-\xFE", "second"},
                                         {std::string("\0AAAA", 5), "nul first"},
                                         {"AAAA", "plain"},
                                         {"\xC3\xA9t\xC3\xA9", "UTF-8 name"}};
    const auto written = snapshot::encode(contents);
    ASSERT_TRUE(written);
    EXPECT_EQ(snapshot::decode(*written), contents);
    // Names that are UTF-8 are written as they are, for readers of the file.
    EXPECT_NE(written->find("\"public.html\":\"PGI+\""), std::string::npos) << *written;
    EXPECT_NE(written->find("\"\xC3\xA9t\xC3\xA9\":"), std::string::npos) << *written;
}

TEST(SnapshotTest, FilesWrittenBeforeReadAsTheyWere) {
    const std::string earlier =
        R"({"public.html":"PGI+","x-private-\ufffd":"YQ==","\u0000not base64!":"Yg=="})";
    EXPECT_EQ(snapshot::decode(earlier),
              (PasteboardContents{{"public.html", "<b>"},
                                  {"x-private-\xEF\xBF\xBD", "a"},
                                  {std::string("\0not base64!", 12), "b"}}));
}

}  // namespace
}  // namespace pindrake::clipboard
