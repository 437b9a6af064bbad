#pragma once

#include <filesystem>
#include <string_view>

#include "markdown/parse/ParseOptions.h"
#include "markdown/tree/Document.h"
#include "markdown/tree/Url.h"

namespace pindrake::markdown {

// Parses a Markdown text into a new tree. Never fails: every text gives a document. Ranges
// carry `source` (no source by default).
Document parseDocument(std::string_view text, ParseOptions options = {});
Document parseDocument(std::string_view text, const Url& source, ParseOptions options = {});

// Reads a file (UTF-8, with or without a byte-order mark, or UTF-16 with one) and parses it
// with the file's URL as source. Throws std::filesystem::filesystem_error, with the system's
// reason, when it is no readable regular file (a folder is no empty document), and
// std::runtime_error when its UTF-16 text is cut off inside a unit; unpaired
// surrogates read as U+FFFD.
Document parseDocumentFile(const std::filesystem::path& path, ParseOptions options = {});

}  // namespace pindrake::markdown
