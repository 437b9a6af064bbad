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

bool isUuid(const std::string& text) {
    uuid_t raw;
    return text.size() == 36 && uuid_parse(text.c_str(), raw) == 0;
}

}  // namespace pindrake
