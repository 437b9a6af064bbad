#include "ReadBack.h"

#include <algorithm>

#include "markdown/format/SoftBreakDeleter.h"

namespace pindrake::markdown::testing {

namespace {

std::string withoutTabs(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

class Normaliser : public SoftBreakDeleter {
  public:
    explicit Normaliser(const Options& options)
        : softBreaksAsSpaces_(options.preferredLineLimit.has_value()),
          lineBreaksAsSpaces_(softBreaksAsSpaces_ &&
                              options.preferredLineLimit->lineSplittingElement() ==
                                  LineLimit::SplittingElement::hardBreak),
          dropLanguages_(options.useCodeFence != Options::UseCodeFence::always),
          joinsTexts_(softBreaksAsSpaces_ || dropLanguages_) {}

    std::optional<Markup> visitSoftBreak(const SoftBreak& softBreak) override {
        if (softBreaksAsSpaces_)
            return SoftBreakDeleter::visitSoftBreak(softBreak);
        return softBreak;
    }

    std::optional<Markup> visitLineBreak(const LineBreak& lineBreak) override {
        if (lineBreaksAsSpaces_)
            return Text(" ");
        return lineBreak;
    }

    // Under a line limit tabs between words of a text are written as spaces.
    std::optional<Markup> visitText(const Text& text) override {
        if (softBreaksAsSpaces_)
            return Text(withoutTabs(text.string()));
        return text;
    }

    std::optional<Markup> visitCodeBlock(const CodeBlock& codeBlock) override {
        if (dropLanguages_)
            return CodeBlock(std::nullopt, codeBlock.code());
        return codeBlock;
    }

    // A directive built here knows no location for its name.
    std::optional<Markup> visitBlockDirective(const BlockDirective& directive) override {
        auto kept = defaultVisit(directive)->as<BlockDirective>();
        kept->setName(kept->name());
        return *kept;
    }

    std::optional<Markup> defaultVisit(const Markup& markup) override {
        std::vector<Markup> kept;
        for (Markup child : markup.children()) {
            auto result = visit(std::move(child));
            if (!result)
                continue;
            auto text = result->as<Text>();
            auto previous = kept.empty() ? std::nullopt : kept.back().as<Text>();
            if (text && previous && joinsTexts_)
                kept.back() = Text(previous->string() + text->string());
            else
                kept.push_back(std::move(*result));
        }
        return markup.withUncheckedChildren(kept);
    }

  private:
    bool softBreaksAsSpaces_;
    bool lineBreaksAsSpaces_;
    bool dropLanguages_;
    bool joinsTexts_;
};

}  // namespace

Markup normalised(const Markup& tree, const Options& options) {
    Normaliser normaliser(options);
    return *normaliser.visit(tree);
}

}  // namespace pindrake::markdown::testing
