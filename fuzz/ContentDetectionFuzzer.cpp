#include <unicode/locid.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Require.h"
#include "clipboard/ClipboardMonitor.h"
#include "foundation/Unicode.h"

// Classifies arbitrary text, as every copy is classified. Beyond not crashing or stalling, the
// tests written out by hand for speed must answer exactly as the regular expressions they stand
// for, run by ICU's engine on the same trimmed text.
namespace {

using pindrake::fuzz::require;
using namespace pindrake;
using clipboard::ContentTag;

class Pattern {
  public:
    Pattern(const char16_t* regex, std::uint32_t flags) {
        UErrorCode status = U_ZERO_ERROR;
        pattern_.reset(icu::RegexPattern::compile(icu::UnicodeString(regex), flags, status));
        require(U_SUCCESS(status), "the pattern compiles");
    }

    int matches(const icu::UnicodeString& text) const {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(pattern_->matcher(text, status));
        int found = 0;
        while (U_SUCCESS(status) && matcher->find())
            ++found;
        return found;
    }

  private:
    std::unique_ptr<icu::RegexPattern> pattern_;
};

// Short enough for ICU's engine to check every input quickly.
constexpr std::size_t comparedLength = 4096;

void compareWithPatterns(std::string_view text, const clipboard::ContentTags& tags) {
    static const Pattern percentEscape(u"%[0-9A-Fa-f]{2}", 0);
    static const Pattern htmlTag(
        u"<(html|head|body|div|span|p|a|img|table|tr|td|th|ul|ol|li|h[1-6]|br|hr|b|i|em|strong|"
        u"pre|code|form|input|button|script|style|link|meta)[\\s>/]",
        UREGEX_CASE_INSENSITIVE);
    static const Pattern longHex(u"^#[0-9A-Fa-f]{6}$", 0);
    static const Pattern shortHex(u"^#[0-9A-Fa-f]{3}$", 0);

    const icu::UnicodeString trimmed = icu::UnicodeString::fromUTF8(unicode::trimmed(text));
    require(tags.contains(ContentTag::urlEncoded) == (percentEscape.matches(trimmed) >= 2),
            "urlEncoded answers as its pattern");
    require(tags.contains(ContentTag::html) == (htmlTag.matches(trimmed) >= 1),
            "html answers as its pattern");
    icu::UnicodeString lowered = trimmed;
    lowered.toLower(icu::Locale::getRoot());
    const bool colour = longHex.matches(trimmed) > 0 || shortHex.matches(trimmed) > 0 ||
                        lowered.startsWith(u"rgb(") || lowered.startsWith(u"hsl(");
    require(tags.contains(ContentTag::colorCode) == colour, "colorCode answers as its patterns");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto tags = clipboard::ClipboardMonitor::detectTags(text);
    require(!tags.contains(ContentTag::plainText), "classification never adds plainText");
    // Captured text is always repaired to valid UTF-8 before it is classified.
    if (size <= comparedLength && unicode::isValidUtf8(text))
        compareWithPatterns(text, tags);
    return 0;
}
