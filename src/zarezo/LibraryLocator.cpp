#include "zarezo/LibraryLocator.h"

#include "zarezo/ResourceLookup.h"

namespace pindrake::zarezo {

LibraryLocator standardLibraryLocator() {
    return [](std::string_view name, std::string_view extension) {
        return findResourcePath(ResourceFolders::standard(), name, extension, true);
    };
}

}  // namespace pindrake::zarezo
