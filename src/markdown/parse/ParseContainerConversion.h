#pragma once

#include "markdown/parse/BlockDirectiveParser.h"
#include "markdown/parse/ParseOptions.h"
#include "markdown/tree/DirectiveArgumentText.h"
#include "markdown/tree/Document.h"

namespace pindrake::markdown {

// The finished containers as a tree: directives and Doxygen commands become nodes, each run
// of plain lines one cmark pass whose ranges move back into the text's coordinates. The
// document's identifier is drawn before any pass; its range covers everything converted.
Document documentFromContainers(const ParseContainerStack& stack, const Url& source,
                                ParseOptions options);

// One argument lex as a segment over its source line, from the line's start to the lex's end.
DirectiveArgumentText::LineSegment argumentSegment(const TrimmedLine::Lex& lex);

}  // namespace pindrake::markdown
