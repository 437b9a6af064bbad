#include "markdown/tree/Link.h"

#include "markdown/tree/CanonicalEquivalence.h"

namespace pindrake::markdown {

bool Link::isAutolink() const {
    const auto& target = destination();
    if (!target || childCount() != 1)
        return false;
    const RawMarkup& only = raw().child(0);
    if (only.kind() != MarkupKind::text)
        return false;
    return canonicallyEquivalent(only.payload<payload::Text>().text, *target);
}

}  // namespace pindrake::markdown
