#include "zarezo/LibraryFile.h"

#include "foundation/Files.h"
#include "foundation/Unicode.h"

namespace pindrake::zarezo {

std::variant<std::string, ZarezoError> readLibraryFile(const std::filesystem::path& path) {
    std::error_code error;
    auto text = files::read(path, error);
    if (!text)
        return ZarezoError::libraryLoadingFailed("cannot read " + path.string() + ": " +
                                                 error.message());
    if (!unicode::isValidUtf8(*text)) {
        return ZarezoError::libraryLoadingFailed(path.string() + " is not UTF-8 text");
    }
    return std::move(*text);
}

}  // namespace pindrake::zarezo
