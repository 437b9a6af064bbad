#pragma once

#include <random>
#include <string>

namespace pindrake::converters::bench {

// A JSON array of records much like an API's answer: keys in no particular order, nested objects
// and arrays, strings with escapes and non-ASCII text, big integers and long decimals. The same
// bytes every time for the same size.
inline std::string sampleJson(std::size_t bytes) {
    static const char* const names[] = {"Aoi", "Mika", "Ren", "Sora", "Haru", "Yuki"};
    static const char* const notes[] = {"plain words",
                                        "quote \\\"inside\\\" and a slash \\/",
                                        "\u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8",
                                        "tab\\tand line\\nbreak",
                                        "caf\\u00e9 \u2615",
                                        ""};
    std::mt19937_64 random(20261207);
    std::string json = "[\n";
    for (std::size_t id = 1; json.size() < bytes; ++id) {
        if (id > 1)
            json += ",\n";
        const auto pick = [&random](std::size_t n) { return random() % n; };
        json += "  {\"updated\": \"2026-12-" + std::to_string(1 + pick(28)) + "T10:00:00Z\", ";
        json += "\"id\": " + std::to_string(id) + ", ";
        json += "\"name\": \"" + std::string(names[pick(6)]) + "\", ";
        json +=
            "\"score\": " + std::to_string(pick(100000)) + "." + std::to_string(pick(1000)) + "0, ";
        json += "\"serial\": 1234567890123456" + std::to_string(1000 + pick(9000)) + ", ";
        json += "\"active\": " + std::string(pick(2) ? "true" : "false") + ", ";
        json += "\"tags\": [\"a\", \"b\", " + std::to_string(pick(10)) + ", null], ";
        json += "\"address\": {\"zip\": \"" + std::to_string(100 + pick(900)) +
                "-0001\", \"city\": \"Tokyo\", \"geo\": {\"lng\": 139.69171, \"lat\": "
                "35.6895}}, ";
        json += "\"note\": \"" + std::string(notes[pick(6)]) + "\"}";
    }
    json += "\n]\n";
    return json;
}

}  // namespace pindrake::converters::bench
