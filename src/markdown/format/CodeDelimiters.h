#pragma once

#include <string>
#include <string_view>

#include "markdown/format/MarkupFormatterOptions.h"
#include "markdown/tree/CodeBlock.h"

namespace pindrake::markdown::detail {

// Inline code between backtick runs longer than any run inside it, padded with a space on
// each side where the parser would otherwise eat a backtick or a space of the code.
std::string inlineCodeSpan(std::string_view code);

// A fence of backticks, or of tildes when the info string holds a backtick (a backtick fence
// cannot carry one), longer than any run of its character that starts a line of the code, so
// that no code line can close the block early; at least three characters.
std::string codeFence(std::string_view code, std::string_view infoString);

// Whether the block is fenced wherever it stands: the options ask for a fence, or its lines
// (trimmed of empty ones) are none or start or end blank, which indented code would lose.
bool fencedWherever(const CodeBlock& codeBlock, const MarkupFormatterOptions& options);

// Whether the text can stand between "<" and ">" as an autolink: a scheme, a colon, and no
// space, control character or angle bracket.
bool isAutolinkDestination(std::string_view destination);

}  // namespace pindrake::markdown::detail
