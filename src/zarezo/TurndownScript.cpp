#include "zarezo/TurndownScript.h"

#include <nlohmann/json.hpp>

namespace pindrake::zarezo::turndown_script {
namespace {

// ASCII-only output: every other character becomes a \u escape, which reads back the same in
// any JavaScript string; invalid UTF-8 becomes U+FFFD instead of failing.
std::string toScriptJSON(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

}  // namespace

const std::string_view globalScopeCheck =
    "    JSON.stringify({\n"
    "        hasTurndownService: typeof TurndownService !== 'undefined',\n"
    "        hasTurndown: typeof Turndown !== 'undefined',\n"
    "        hasWindowTurndownService: typeof window.TurndownService !== 'undefined',\n"
    "        hasWindowTurndown: typeof window.Turndown !== 'undefined'\n"
    "    })";

std::string makeOptionsJSON(const ZarezoOptions& options) {
    nlohmann::ordered_json json;
    json["headingStyle"] = rawValue(options.headingStyle);
    json["hr"] = "---";
    json["bulletListMarker"] = options.bulletListMarker;
    json["codeBlockStyle"] = rawValue(options.codeBlockStyle);
    json["fence"] = "```";
    json["emDelimiter"] = "_";
    json["strongDelimiter"] = "**";
    json["linkStyle"] = "inlined";
    json["linkReferenceStyle"] = "full";
    return toScriptJSON(json);
}

std::string makeKeepRules(const std::vector<std::string>& tags) {
    std::string rules;
    for (const auto& tag : tags) {
        if (!rules.empty())
            rules += '\n';
        rules +=
            "turndownService.keep(" + toScriptJSON(nlohmann::ordered_json::array({tag})) + ");";
    }
    return rules;
}

std::string makeRemoveRule(const std::vector<std::string>& tags) {
    if (tags.empty())
        return {};
    return "turndownService.remove(" + toScriptJSON(nlohmann::ordered_json(tags)) + ");";
}

std::string escapeForDoubleQuotes(std::string_view html) {
    std::string escaped;
    escaped.reserve(html.size() + html.size() / 16);
    for (char c : html) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '"':
                escaped += "\\\"";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\t':
                escaped += "\\t";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string makeConversionScript(std::string_view html, const ZarezoOptions& options) {
    const std::string escaped = escapeForDoubleQuotes(html);
    std::string script;
    script.reserve(escaped.size() + 1200);
    script +=
        "(function() {\n"
        "    try {\n"
        "        // Find TurndownService constructor\n"
        "        var TurndownConstructor = null;\n"
        "        if (typeof TurndownService !== 'undefined') {\n"
        "            TurndownConstructor = TurndownService;\n"
        "        } else if (typeof window.TurndownService !== 'undefined') {\n"
        "            TurndownConstructor = window.TurndownService;\n"
        "        } else {\n"
        "            throw new Error('TurndownService is not available');\n"
        "        }\n"
        "        // Create TurndownService with options\n"
        "        var turndownService = new TurndownConstructor(";
    script += makeOptionsJSON(options);
    script +=
        ");\n"
        "        // Configure service\n"
        "        turndownService.keep(['del', 'ins', 'sup', 'sub']);\n"
        "        turndownService.remove(['script', 'style']);\n"
        "        // Apply custom skip/ignore rules\n"
        "        ";
    script += makeKeepRules(options.skipTags);
    script += "\n        ";
    script += makeRemoveRule(options.ignoreTags);
    script +=
        "\n"
        "        // Convert HTML to Markdown\n"
        "        var markdown = turndownService.turndown(\"";
    script += escaped;
    script +=
        "\");\n"
        "        // Return result\n"
        "        return markdown;\n"
        "    } catch (error) {\n"
        "        throw new Error('Conversion failed: ' + error.message);\n"
        "    }\n"
        "})();";
    return script;
}

}  // namespace pindrake::zarezo::turndown_script
