#include "converters/ConverterEngines.h"

#include "converters/MarkupConverters.h"
#include "converters/RecognitionConverters.h"

namespace pindrake::converters {
namespace {

// Found by identifier only: how each is offered (its icon, its kinds of text) is the registry's.
struct Engines {
    ImageOCRConverter imageOCR{"image.ocr", {}, {}};
    MarkdownToHTMLConverter markdownToHTML{"markdown.toHTML", {}, {}};
    HTMLToMarkdownConverter htmlToMarkdown{"html.toMarkdown", {}, {}};
    ToSlackConverter toSlack{"text.toSlack", {}, {}};
    ToNotionConverter toNotion{"text.toNotion", {}, {}};
    PlainTextConverter plainText{"plaintext", {}, {}};
    const Converter* all[6]{&imageOCR, &markdownToHTML, &htmlToMarkdown,
                            &toSlack,  &toNotion,       &plainText};
};

}  // namespace

const Converter* converterEngine(std::string_view id) {
    // Never destroyed, as the registry's converters: a conversion may still run at exit.
    static const Engines* const engines = new Engines;
    for (const Converter* engine : engines->all) {
        if (engine->id() == id)
            return engine;
    }
    return nullptr;
}

}  // namespace pindrake::converters
