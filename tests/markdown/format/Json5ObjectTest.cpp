#include <gtest/gtest.h>

#include "markdown/format/Json5Object.h"

namespace pindrake::markdown::detail {
namespace {

TEST(Json5ObjectTest, ReadsTheStringMember) {
    struct Case {
        const char* text;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {R"({"class": "a"})", "a"},
        {R"({class: 'a b', })", "a b"},
        {R"({ /* c */ id: 1, // line
             class: "x\"y\u00e9\n" })",
         "x\"y\u00e9\n"},
        {R"({a: {b: [1, "}", {c: null}]}, class: 'k'})", "k"},
        {R"({'class': 'it\'s', other: -Infinity})", "it's"},
        {R"({"class": "\ud83d\ude00"})", "\U0001F600"},
        {R"({"class": "\x41\xe9\u20AC"})", "A\u00e9\u20ac"},
        {R"({"class": "\ud83d!\ude00"})", "\ufffd!\ufffd"},
        {R"({"class": "\ud83d\u0041"})", std::nullopt},
        {R"({"class": "\u12G4"})", std::nullopt},
        {R"({"class": "a\
b"})",
         "ab"},
        {R"({class: "first", class: "last"})", "last"},
        {R"({})", std::nullopt},
        {R"({id: "a"})", std::nullopt},
        {R"({class: 1})", std::nullopt},
        {R"({class: ["a"]})", std::nullopt},
        {R"({class: "a"} trailing)", std::nullopt},
        {R"({class: "a" id: 2})", std::nullopt},
        {R"({class: "unterminated})", std::nullopt},
        {R"({class: "a", x: {]})", std::nullopt},
        {R"({class: "a", x: })", std::nullopt},
        {R"({"class": "a"
        )",
         std::nullopt},
        {R"({class: "a"} /* open)", std::nullopt},
        {"{class: \"line\nbreak\"}", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(json5StringMember(c.text, "class"), c.expected) << c.text;
    }
}

TEST(Json5ObjectTest, DeepNestingIsSkippedWithoutRecursion) {
    const std::string deep =
        "{x: " + std::string(200000, '[') + std::string(200000, ']') + ", class: 'ok'}";
    EXPECT_EQ(json5StringMember(deep, "class"), "ok");
}

}  // namespace
}  // namespace pindrake::markdown::detail
