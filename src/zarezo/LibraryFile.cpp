#include "zarezo/LibraryFile.h"

#include "foundation/Files.h"
#include "foundation/Unicode.h"

namespace pindrake::zarezo {

std::variant<std::string, ZarezoError> readLibraryFile(const std::filesystem::path& path) {
    auto text = files::read(path);
    if (!text)
        return ZarezoError::libraryLoadingFailed("cannot read " + path.string());
    if (!unicode::isValidUtf8(*text)) {
        return ZarezoError::libraryLoadingFailed(path.string() + " is not UTF-8 text");
    }
    return std::move(*text);
}

}  // namespace pindrake::zarezo
