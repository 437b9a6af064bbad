// Counts the large allocations of the conversions that run in the app, on the calling thread:
// a result over the cap is refused from its size before anything large is made, and a result
// within it is made in little more than its own size. Built as a program of its own, since it
// replaces the global operator new (support/LargeAllocations.cpp).
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "converters/CharacterWidth.h"
#include "converters/HtmlEntities.h"
#include "converters/JsonLayout.h"
#include "converters/TextFormatConverters.h"
#include "support/LargeAllocations.h"
#include "support/RepeatedText.h"

namespace pindrake::converters {
namespace {

using test_support::repeated;
using Conversion = std::function<std::optional<std::string>(std::string_view)>;

struct AllocationCase {
    const char* what;
    std::function<std::string()> input;
    Conversion convert;
};

const Conversion prettify = [](std::string_view text) { return json::prettified(text); };
const Conversion minify = [](std::string_view text) { return json::minified(text); };

std::string ones(std::size_t count) {
    return '[' + repeated("1,", count - 1) + "1]";
}

// The inputs that once took the app from 583 MiB to 3.08 GiB: results of 121 MB to 600 MB.
TEST(ConverterAllocationsTest, AResultOverTheCapIsRefusedBeforeAnythingLargeIsMade) {
    const AllocationCase cases[] = {
        {"prettify 100 MB of ones", [] { return ones(50'000'000); }, prettify},
        {"minify 100 MB of ones", [] { return ones(50'000'000); }, minify},
        {"prettify 241 KB nested 500 deep",
         [] { return std::string(500, '[') + ones(120'000) + std::string(500, ']'); }, prettify},
        {"escape 100 MB of quotation marks", [] { return std::string(100'000'000, '"'); },
         [](std::string_view text) { return entities::escaped(text); }},
        {"full-width 100 MB of ASCII", [] { return std::string(100'000'000, 'a'); },
         [](std::string_view text) { return width::fullWidth(text); }},
    };
    for (const auto& c : cases) {
        const std::string input = c.input();
        test_support::LargeAllocationsHere counted;
        EXPECT_FALSE(c.convert(input).has_value()) << c.what;
        EXPECT_EQ(counted.count(), 0) << c.what;
    }
}

// JSON of 20 MB is laid out in its result and, at most, as much again as its input: never in a
// token per token.
TEST(ConverterAllocationsTest, JsonOf20MBIsLaidOutInLittleMoreThanItsResult) {
    const auto records = [] {
        return "[" +
               repeated(
                   R"({"name": "item", "id": 12345, "tags": ["a", "b"], "size": {"w": 1, "h": 2}}, )",
                   260'000) +
               "{}]";
    };
    const auto wideObject = [] {
        std::string object = "{";
        for (int i = 0; object.size() < 20'000'000; ++i)
            object += "\"k" + std::to_string(i) + "\": " + std::to_string(i) + ", ";
        return object + "\"last\": 0}";
    };
    // Keys with escapes are compared where they lie, never kept decoded.
    const auto wideObjectOfEscapedKeys = [] {
        std::string object = "{";
        for (int i = 0; object.size() < 20'000'000; ++i)
            object += "\"\\u006b" + std::to_string(i) + "\": 0, ";
        return object + "\"last\": 0}";
    };
    const AllocationCase cases[] = {
        {"prettify ones", [] { return ones(10'000'000); }, prettify},
        {"prettify records", records, prettify},
        {"prettify one wide object", wideObject, prettify},
        {"prettify one wide object of escaped keys", wideObjectOfEscapedKeys, prettify},
        {"minify records", records, minify},
    };
    for (const auto& c : cases) {
        const std::string input = c.input();
        ASSERT_GE(input.size(), 20'000'000u) << c.what;
        test_support::LargeAllocationsHere counted;
        const auto result = c.convert(input);
        ASSERT_TRUE(result) << c.what;
        EXPECT_LE(counted.bytes(), result->size() + input.size()) << c.what;
    }
}

}  // namespace
}  // namespace pindrake::converters

namespace pindrake::converters {
namespace {

// Base64 is decoded where the entry's text lies: the result is all it makes.
TEST(ConverterAllocationsTest, Base64IsDecodedWithoutACopyOfTheText) {
    clipboard::ClipboardContent input;
    input.plainText = " \n" + test_support::repeated("QUJD", 5'000'000) + "\n ";
    const Base64DecodeConverter decode("base64.decode", "", {});
    test_support::LargeAllocationsHere counted;
    const auto result = decode.transform(input, ConversionBudget());
    ASSERT_TRUE(result && result->plainText);
    EXPECT_EQ(counted.count(), 1) << "the result alone";
}

}  // namespace
}  // namespace pindrake::converters
