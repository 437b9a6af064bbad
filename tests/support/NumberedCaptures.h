#pragma once

#include <string>
#include <utility>

#include "clipboard/ClipboardContent.h"
#include "platform/Pasteboard.h"
#include "platform/fake/FakeImageCodec.h"

namespace pindrake::test_support {

// Capture N for programs that check a history folder from outside: "capture N" as its text
// (every eighth followed by 80 KB, more than the history keeps with its list), every third with an
// image; with the clipboard's types as offered.
inline std::pair<clipboard::ClipboardContent, platform::PasteboardContents> numberedCapture(
    long number, const platform::ImageCodec& codec) {
    std::string text = "capture " + std::to_string(number);
    if (number % 8 == 0)
        text += " " + std::string(80 * 1024, 'x');
    clipboard::ClipboardContent content;
    content.plainText = text;
    content.tags = {clipboard::ContentTag::plainText};
    content.pasteboardTypes = {"public.utf8-plain-text"};
    platform::PasteboardContents offered = {{"public.utf8-plain-text", text}};
    if (number % 3 == 0) {
        const std::string png = std::string(platform::FakeImageCodec::pngSignature) + "pixels of " +
                                std::to_string(number);
        content.image = codec.decode(png);
        content.pasteboardTypes.insert("public.png");
        offered.set("public.png", png);
    }
    return {std::move(content), std::move(offered)};
}

}  // namespace pindrake::test_support
