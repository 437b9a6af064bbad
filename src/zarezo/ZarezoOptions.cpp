#include "zarezo/ZarezoOptions.h"

#include <array>
#include <utility>

namespace pindrake::zarezo {
namespace {

template <class Enum, std::size_t N>
std::optional<Enum> parse(std::string_view raw,
                          const std::array<std::pair<Enum, std::string_view>, N>& table) {
    for (const auto& [value, name] : table) {
        if (name == raw)
            return value;
    }
    return std::nullopt;
}

constexpr std::array<std::pair<ZarezoHeadingStyle, std::string_view>, 2> headingStyles{{
    {ZarezoHeadingStyle::setext, "setext"},
    {ZarezoHeadingStyle::atx, "atx"},
}};
constexpr std::array<std::pair<ZarezoCodeBlockStyle, std::string_view>, 2> codeBlockStyles{{
    {ZarezoCodeBlockStyle::indented, "indented"},
    {ZarezoCodeBlockStyle::fenced, "fenced"},
}};
constexpr std::array<std::pair<ConversionEngine, std::string_view>, 2> engines{{
    {ConversionEngine::turndown, "turndown"},
    {ConversionEngine::htmlToMd, "htmlToMd"},
}};

}  // namespace

std::string_view rawValue(ZarezoHeadingStyle style) {
    return headingStyles[static_cast<std::size_t>(style)].second;
}
std::string_view rawValue(ZarezoCodeBlockStyle style) {
    return codeBlockStyles[static_cast<std::size_t>(style)].second;
}
std::string_view rawValue(ConversionEngine engine) {
    return engines[static_cast<std::size_t>(engine)].second;
}

template <>
std::optional<ZarezoHeadingStyle> fromRawValue(std::string_view raw) {
    return parse(raw, headingStyles);
}
template <>
std::optional<ZarezoCodeBlockStyle> fromRawValue(std::string_view raw) {
    return parse(raw, codeBlockStyles);
}
template <>
std::optional<ConversionEngine> fromRawValue(std::string_view raw) {
    return parse(raw, engines);
}

ZarezoOptions::ZarezoOptions(ConversionEngine engine, ZarezoHeadingStyle headingStyle,
                             std::string bulletListMarker, ZarezoCodeBlockStyle codeBlockStyle,
                             std::vector<std::string> skipTags, std::vector<std::string> ignoreTags,
                             std::vector<std::string> emptyTags)
    : headingStyle(headingStyle),
      bulletListMarker(std::move(bulletListMarker)),
      codeBlockStyle(codeBlockStyle),
      engine(engine),
      skipTags(std::move(skipTags)),
      ignoreTags(std::move(ignoreTags)),
      emptyTags(std::move(emptyTags)) {}

const ZarezoOptions& ZarezoOptions::defaults() {
    static const ZarezoOptions value;
    return value;
}

}  // namespace pindrake::zarezo
