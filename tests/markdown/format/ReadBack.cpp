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
          dropLanguages_(options.useCodeFence != Options::UseCodeFence::always) {}

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

    std::optional<Markup> defaultVisit(const Markup& markup) override {
        std::vector<Markup> kept;
        for (Markup child : markup.children()) {
            auto result = visit(std::move(child));
            if (!result)
                continue;
            auto text = result->as<Text>();
            auto previous = kept.empty() ? std::nullopt : kept.back().as<Text>();
            if (text && previous)
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
};

}  // namespace

Markup normalised(const Markup& tree, const Options& options) {
    if (!options.preferredLineLimit && options.useCodeFence == Options::UseCodeFence::always)
        return tree;
    Normaliser normaliser(options);
    return *normaliser.visit(tree);
}

}  // namespace pindrake::markdown::testing
