#include "markdown/tree/Image.h"

#include "markdown/tree/CanonicalEquivalence.h"

namespace pindrake::markdown {

namespace {

bool sameText(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    if (!a || !b)
        return !a && !b;
    return canonicallyEquivalent(*a, *b);
}

}  // namespace

void Image::setSource(std::optional<std::string> source) {
    if (sameText(this->source(), source))
        return;
    replacePayload({detail::absentIfEmpty(std::move(source)), title()});
}

void Image::setTitle(std::optional<std::string> title) {
    if (sameText(this->title(), title))
        return;
    replacePayload({source(), detail::absentIfEmpty(std::move(title))});
}

}  // namespace pindrake::markdown
