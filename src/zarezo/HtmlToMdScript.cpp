#include "zarezo/HtmlToMdScript.h"

#include <nlohmann/json.hpp>

namespace pindrake::zarezo::html_to_md_script {

std::string makeOptionsJSON(const ZarezoOptions& options) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    if (!options.skipTags.empty())
        json["skipTags"] = options.skipTags;
    if (!options.ignoreTags.empty())
        json["ignoreTags"] = options.ignoreTags;
    if (!options.emptyTags.empty())
        json["emptyTags"] = options.emptyTags;
    if (options.bulletListMarker != "-")
        json["bulletMarker"] = options.bulletListMarker;
    // ASCII-only, and invalid UTF-8 becomes U+FFFD instead of failing.
    return json.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

std::string escapeForTemplateLiteral(std::string_view html) {
    std::string escaped;
    escaped.reserve(html.size() + html.size() / 16);
    for (char c : html) {
        if (c == '\\' || c == '`' || c == '$')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string makeConversionScript(std::string_view html, const ZarezoOptions& options) {
    constexpr std::string_view prefix = "(function() {\n    try {\n        return html2md(`";
    constexpr std::string_view suffix =
        ");\n    } catch (error) {\n        throw new Error('Conversion failed: ' + "
        "error.message);\n    }\n})();";
    const std::string escaped = escapeForTemplateLiteral(html);
    const std::string optionsJSON = makeOptionsJSON(options);
    std::string script;
    script.reserve(prefix.size() + escaped.size() + 3 + optionsJSON.size() + suffix.size());
    script.append(prefix).append(escaped).append("`, ").append(optionsJSON).append(suffix);
    return script;
}

}  // namespace pindrake::zarezo::html_to_md_script
