#include "converters/HelperConverter.h"

#include "foundation/Log.h"

namespace pindrake::converters {

HelperConverter::HelperConverter(const Converter& engine)
    : Converter(engine.id(), engine.iconName(), engine.acceptsTags()), engine_(engine) {}

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
