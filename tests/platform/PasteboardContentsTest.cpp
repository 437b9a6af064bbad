#include <gtest/gtest.h>

#include "platform/Pasteboard.h"

namespace pindrake::platform {
namespace {

// Copies share the bytes read, so handing a large copy around costs nothing; a copy that is
// changed gets bytes of its own and never changes what the others hold.
TEST(PasteboardContentsTest, CopiesShareTheirBytesUntilOneIsChanged) {
    PasteboardContents read = {{"public.utf8-plain-text", std::string(1000, 'x')},
                               {"public.html", "<b>x</b>"}};
    const PasteboardContents kept = read;
    EXPECT_EQ(kept.data("public.utf8-plain-text"), read.data("public.utf8-plain-text"));

    PasteboardContents changed = kept;
    changed.set("public.html", "<i>y</i>");
    changed.set("text/x-more", "more");
    EXPECT_EQ(kept, read);
    EXPECT_EQ(*kept.data("public.html"), "<b>x</b>");
    EXPECT_FALSE(kept.contains("text/x-more"));
    EXPECT_EQ(*changed.data("public.html"), "<i>y</i>");
    EXPECT_EQ(*changed.data("public.utf8-plain-text"), std::string(1000, 'x'));
    EXPECT_NE(changed, kept);

    read = {};
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(read, PasteboardContents{});
    EXPECT_EQ(*kept.data("public.html"), "<b>x</b>");
}

}  // namespace
}  // namespace pindrake::platform
