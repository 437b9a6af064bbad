#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "converters/JsonLayout.h"

namespace pindrake::converters {
namespace {

using testing::plainTextResult;
using testing::text;

struct LayoutCase {
    std::string input;
    std::string pretty;
    std::string minified;
};

TEST(JsonLayoutTest, KeepsEveryLexemeAndChangesOnlyLayout) {
    const std::vector<LayoutCase> cases = {
        {R"({"b":1,"a":2})", "{\n  \"a\" : 2,\n  \"b\" : 1\n}", R"({"b":1,"a":2})"},
        // Numbers beyond a double's precision and trailing zeros are copied, not re-printed.
        {"[12345678901234567890, 1.10, -0.0, 1E+400, 3e-7]",
         "[\n  12345678901234567890,\n  1.10,\n  -0.0,\n  1E+400,\n  3e-7\n]",
         "[12345678901234567890,1.10,-0.0,1E+400,3e-7]"},
        // Duplicate keys all stay, in source order among themselves; a stable sort.
        {R"({"k":1,"a":0,"k":2,"k":3})",
         "{\n  \"a\" : 0,\n  \"k\" : 1,\n  \"k\" : 2,\n  \"k\" : 3\n}",
         R"({"k":1,"a":0,"k":2,"k":3})"},
        // Escapes stay as written; keys sort by what they decode to ("\u0064" is "d", "\/b" is
        // "/b"), not by their lexemes.
        {R"({"\u0064":"\"q\"","c":"a\/b \u00e9","\/b":0})",
         "{\n  \"\\/b\" : 0,\n  \"c\" : \"a\\/b \\u00e9\",\n  \"\\u0064\" : \"\\\"q\\\"\"\n}",
         R"({"\u0064":"\"q\"","c":"a\/b \u00e9","\/b":0})"},
        {" {\n \"o\" : { \"z\" : [ ] , \"y\" : { } } , \"l\" : [true,false,null] }\n",
         "{\n  \"l\" : [\n    true,\n    false,\n    null\n  ],\n  \"o\" : {\n    \"y\" : {},\n"
         "    \"z\" : []\n  }\n}",
         R"({"o":{"z":[],"y":{}},"l":[true,false,null]})"},
        {"[\"caf\u00e9 \U0001F600\"]", "[\n  \"caf\u00e9 \U0001F600\"\n]",
         "[\"caf\u00e9 \U0001F600\"]"},
        {"[]", "[]", "[]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(json::prettified(c.input), c.pretty) << c.input;
        EXPECT_EQ(json::minified(c.input), c.minified) << c.input;
        // Laying out again changes nothing more.
        EXPECT_EQ(json::prettified(c.pretty), c.pretty) << c.input;
        EXPECT_EQ(json::minified(c.minified), c.minified) << c.input;
    }

    // Stable among many duplicates too, where an unstable sort reorders them.
    std::string source, as, ks;
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i);
        source += ",\"k\":" + n + ",\"a\":" + n;
        as += ",\"a\":" + n;
        ks += ",\"k\":" + n;
    }
    EXPECT_EQ(json::minified(json::prettified("{" + source.substr(1) + "}").value_or("")),
              "{" + as.substr(1) + ks + "}");
}

TEST(JsonLayoutTest, RejectsWhatIsNotAnObjectOrArrayOfStrictJson) {
    const std::vector<std::string> rejected[] = {
        {"", "   ", "\"text\"", "42", "true", "null"},  // bare values at the top
        {"{", "[1,]", "[,1]", "{\"a\"}", "{\"a\":}", "{\"a\" 1}", "{1:2}", "{\"a\":1,}", "[1 2]",
         "[] []", "[]x", "[}", "{]", "[1]]"},
        {"[01]", "[1.]", "[.5]", "[+1]", "[1e]", "[-]", "[0x10]", "[NaN]", "[Infinity]", "[tru]",
         "[nulls]"},
        {"[\"unterminated]", "[\"bad \\x escape\"]", "[\"\\u12G4\"]", "[\"tab\tinside\"]",
         "[\"\xff\"]"},
        // A byte-order mark anywhere but first (where it is skipped).
        {" \xEF\xBB\xBF[1]", "\xEF\xBB\xBF\xEF\xBB\xBF[1]", "[1]\xEF\xBB\xBF",
         "[\xEF\xBB\xBF"
         "1]"},
    };
    for (const auto& group : rejected) {
        for (const auto& input : group) {
            EXPECT_EQ(json::prettified(input), std::nullopt) << input;
            EXPECT_EQ(json::minified(input), std::nullopt) << input;
        }
    }
}

TEST(JsonLayoutTest, BoundsNestingAndOutputSize) {
    const auto nested = [](std::size_t depth) {
        return std::string(depth, '[') + std::string(depth, ']');
    };
    EXPECT_TRUE(json::prettified(nested(json::maximumJsonDepth)));
    EXPECT_EQ(json::prettified(nested(json::maximumJsonDepth + 1)), std::nullopt);
    EXPECT_EQ(json::minified(nested(1'000'000)), std::nullopt);

    // Deep indentation times many short values would make gigabytes.
    std::string wide = std::string(400, '[');
    for (int i = 0; i < 400'000; ++i)
        wide += "0,";
    wide += "0" + std::string(400, ']');
    EXPECT_EQ(json::prettified(wide), std::nullopt);
    EXPECT_TRUE(json::minified(wide));
}

TEST(JsonLayoutTest, ConvertersGiveThePlainTextOrTheInputUnchanged) {
    testing::ConverterHarness harness;
    const auto& prettify = harness.named("json.prettify");
    const auto& minify = harness.named("json.minify");
    auto input = text("{\"b\":[1, 2],\"a\":12345678901234567890}", {clipboard::ContentTag::json});
    input.sourceBundleID = "org.example.editor";
    EXPECT_EQ(
        harness.run(prettify, input),
        plainTextResult("{\n  \"a\" : 12345678901234567890,\n  \"b\" : [\n    1,\n    2\n  ]\n}"));
    EXPECT_EQ(harness.run(minify, input),
              plainTextResult("{\"b\":[1,2],\"a\":12345678901234567890}"));
    // A leading byte-order mark is skipped.
    const auto marked = text("\xEF\xBB\xBF [1, {\"b\": 2, \"a\": 1}]");
    EXPECT_EQ(harness.run(prettify, marked),
              plainTextResult("[\n  1,\n  {\n    \"a\" : 1,\n    \"b\" : 2\n  }\n]"));
    EXPECT_EQ(harness.run(minify, marked), plainTextResult("[1,{\"b\":2,\"a\":1}]"));
    const auto bare = text("\"just a string\"", {clipboard::ContentTag::plainText});
    EXPECT_EQ(harness.run(prettify, bare), bare);
    EXPECT_EQ(harness.run(minify, bare), bare);
}

}  // namespace
}  // namespace pindrake::converters
