#include "markdown/parse/LineRunFences.h"

#include <string_view>

#include <cmark-gfm-extension_api.h>

#include "markdown/parse/CmarkOptions.h"

namespace pindrake::markdown {

namespace {

bool mayOpenFence(const TrimmedLine& line) {
    const std::string_view text = line.untrimmedText();
    return text.find("```") != std::string_view::npos || text.find("~~~") != std::string_view::npos;
}

bool isFencedCode(cmark_node* node) {
    int length = 0;
    int offset = 0;
    char character = 0;
    return cmark_node_get_type(node) == CMARK_NODE_CODE_BLOCK &&
           cmark_node_get_fenced(node, &length, &offset, &character) != 0;
}

}  // namespace

LineRunFences::~LineRunFences() {
    if (parser_ != nullptr)
        cmark_parser_free(parser_);
}

void LineRunFences::startOver(std::optional<std::size_t> run) {
    if (parser_ != nullptr)
        cmark_parser_free(parser_);
    parser_ = nullptr;
    run_ = run;
    scanned_ = 0;
    read_ = 0;
}

void LineRunFences::read(const TrimmedLine& line, std::size_t width) {
    TrimmedLine copy = line;
    copy.lexWhitespace(width);
    const std::string_view text = copy.rest();
    cmark_parser_feed(parser_, text.data(), text.size());
    cmark_parser_feed(parser_, "\n", 1);
    ++read_;
}

bool LineRunFences::holdsInFence(std::size_t run, const std::vector<TrimmedLine>& lines,
                                 const TrimmedLine& next, std::size_t width) {
    if (run_ != run)
        startOver(run);
    if (parser_ != nullptr && read_ == lines.size() + 1)
        return lastHeld_;
    for (; parser_ == nullptr && scanned_ < lines.size(); ++scanned_) {
        if (mayOpenFence(lines[scanned_]))
            parser_ = newCmarkParser(options_, cmark_get_default_mem_allocator());
    }
    if (parser_ == nullptr)
        return false;
    while (read_ < lines.size())
        read(lines[read_], width);
    read(next, width);
    // A line inside fenced code, or one opening it, leaves the code block the innermost open
    // block.
    lastHeld_ = isFencedCode(cmark_parser_get_current_block(parser_));
    return lastHeld_;
}

}  // namespace pindrake::markdown
