#pragma once

#include "converters/Converter.h"

// Between Markdown, HTML and the markups of two chat and note-taking services.
namespace pindrake::converters {

class MarkdownToHTMLConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_to_html"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

// HTML over 8 MiB is given back unconverted.
class ToSlackConverter final : public TransformingConverter {
  public:
    using TransformingConverter::TransformingConverter;
    std::string_view titleKey() const override { return "converter_to_slack"; }
    std::optional<clipboard::ClipboardContent> transform(
        const clipboard::ClipboardContent& input, const ConversionBudget& budget) const override;
};

// The HTML-to-Markdown engines run on the main queue and answer later; these two wait for them
// without blocking it. HTML over 2 MiB is given back at once, unconverted; so is HTML whose
// parsed tree would hold over 200,000 nodes, nest over 1,500 deep, or make the engines copy over
// 64 million bytes (see HtmlShape).
class HTMLToMarkdownConverter final : public Converter {
  public:
    using Converter::Converter;
    std::string_view titleKey() const override { return "converter_to_markdown"; }
    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const override;
};

class ToNotionConverter final : public Converter {
  public:
    using Converter::Converter;
    std::string_view titleKey() const override { return "converter_to_notion"; }
    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const override;
};

// The text the HTML shows, else the entry's own text. Runs on a worker and stops soon after the
// conversion's stop token is cancelled, however large the HTML.
class PlainTextConverter final : public Converter {
  public:
    using Converter::Converter;
    std::string_view titleKey() const override { return "converter_plain_text"; }
    void convert(clipboard::ClipboardContent input, const ConversionServices& services,
                 ConversionCompletion done) const override;
};

}  // namespace pindrake::converters
