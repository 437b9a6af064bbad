#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pindrake::zarezo {

// Whether the lines seen so far leave us inside a fenced code block, and which fence opened it.
class CodeFence {
  public:
    bool isOpen() const { return length_ > 0; }
    // Feeds one line (without its line feed). Returns true when the line opens or closes a fence.
    bool consume(std::string_view line);

  private:
    char character_ = 0;
    std::size_t length_ = 0;
};

// Rewrites the marker of an unordered list item to `marker`, leaving code blocks and thematic
// breaks alone, and an item whose rewritten line would read as a thematic break. `fence` carries
// the code-block state from line to line.
std::string rewriteBulletLine(std::string_view line, std::string_view marker, CodeFence& fence);

// Applies rewriteBulletLine to every line. Lines end at a line feed or a CR LF pair; a lone
// carriage return is text. A marker other than a single "-", "+" or "*" leaves the Markdown as
// it is.
std::string postProcessMarkdown(std::string_view markdown, std::string_view bulletListMarker);

}  // namespace pindrake::zarezo
