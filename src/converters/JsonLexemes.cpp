#include "converters/JsonLexemes.h"

namespace pindrake::converters::json {

std::size_t skipSpace(std::string_view json, std::size_t at) {
    while (at < json.size() &&
           (json[at] == ' ' || json[at] == '\t' || json[at] == '\n' || json[at] == '\r')) {
        ++at;
    }
    return at;
}

std::size_t lexemeEnd(std::string_view json, std::size_t at) {
    switch (json[at]) {
        case '{':
        case '}':
        case '[':
        case ']':
        case ':':
        case ',':
            return at + 1;
        case '"':
            // A checked string ends at the first quotation mark no backslash escapes.
            for (std::size_t i = json.find_first_of("\"\\", at + 1);;
                 i = json.find_first_of("\"\\", i + 2)) {
                if (json[i] == '"')
                    return i + 1;
            }
        default: {
            const std::size_t end = json.find_first_of(" \t\n\r,]}", at);
            return end == std::string_view::npos ? json.size() : end;
        }
    }
}

}  // namespace pindrake::converters::json
