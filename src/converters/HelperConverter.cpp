#include "converters/HelperConverter.h"

#include "foundation/Log.h"

namespace pindrake::converters {

HelperConverter::HelperConverter(std::string id, std::string iconName,
                                 clipboard::ContentTags acceptsTags, std::string_view titleKey)
    : Converter(std::move(id), std::move(iconName), std::move(acceptsTags)), titleKey_(titleKey) {}

void HelperConverter::convert(clipboard::ClipboardContent input, const ConversionServices& services,
                              ConversionCompletion done) const {
    if (!services.helpers) {
        log::warning("No conversion helper runs " + id() + "; the entry comes back unconverted");
        return deliverOnMain(services.main, std::move(input), std::move(done));
    }
    services.helpers->run(
        services.main, id(), std::move(input), services.stop,
        [done = std::move(done)](HelperResult result) { done(std::move(result.content)); });
}

}  // namespace pindrake::converters
