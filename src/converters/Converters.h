#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "clipboard/ContentTag.h"
#include "converters/Converter.h"

namespace pindrake::converters {

// Converters of the registry; they live for the whole process.
using ConverterList = std::vector<const Converter*>;

// The fixed catalogue of converters and the choice of those offered for one entry. Made once on
// first use (safe from any thread) and never changed.
class Converters {
  public:
    static const Converter& pasteAsIs();
    static const ConverterList& fileConverters();
    static const ConverterList& imageConverters();
    static const ConverterList& textConverters();
    static const ConverterList& aiConverters();

    // The converters to offer for an entry, in order; never empty, paste-as-is always first.
    // `pasteboardTypes` are the entry's type identifiers ("public.file-url", ...).
    static ConverterList candidates(const clipboard::ContentTags& tags,
                                    const std::set<std::string>& pasteboardTypes, bool hasImage,
                                    bool hasText);
};

}  // namespace pindrake::converters
