#include "foundation/Uuid.h"

#include <uuid/uuid.h>

namespace pindrake {

std::string makeUuid() {
    uuid_t raw;
    uuid_generate_random(raw);
    char text[37];
    uuid_unparse_upper(raw, text);
    return text;
}

std::optional<std::string> canonicalUuid(std::string_view text) {
    // The copy also ends the text at its real end, so a NUL inside cannot pass.
    const std::string terminated(text);
    uuid_t raw;
    if (terminated.size() != 36 || uuid_parse(terminated.c_str(), raw) != 0)
        return std::nullopt;
    char canonical[37];
    uuid_unparse_upper(raw, canonical);
    return std::string(canonical);
}

}  // namespace pindrake
