#pragma once

#include <string>
#include <string_view>

namespace pindrake {

// User-visible texts are looked up by key in a gettext catalogue of the user's language; a key
// that language has no text for (it may have no catalogue at all) reads as its English text,
// and one not even English has as itself. Catalogues live outside the executable, under the
// resource folder's "locale".
void setUpLocalization(std::string_view domain);
std::string localized(std::string_view key);
// The same from a module's own catalogue (another domain in the same folder), for modules
// that carry their texts apart from the application's.
std::string localized(std::string_view domain, std::string_view key);

}  // namespace pindrake
