#include <gtest/gtest.h>

#include "zarezo/ListMarkerRewrite.h"

namespace pindrake::zarezo {
namespace {

struct Case {
    const char* name;
    const char* marker;
    const char* markdown;
    const char* expected;
};

const Case cases[] = {
    {"star_and_plus_become_dash", "-", "* one\n+ two", "- one\n- two"},
    {"tab_or_spaces_after_bullet_become_one_space", "-", "-\tone\n-   two", "- one\n- two"},
    {"indent_up_to_three_spaces_kept", "*", "  - item\n   + deep", "  * item\n   * deep"},
    {"four_spaces_or_tab_is_not_a_bullet", "-", "    * code\n\t* code", "    * code\n\t* code"},
    {"thematic_breaks_untouched", "-", "***\n* * *\n - - - \n___", "***\n* * *\n - - - \n___"},
    {"two_break_characters_make_an_item", "-", "* -", "- -"},
    {"no_space_or_no_content_untouched", "-", "--x\n**bold**\n-\n-   ", "--x\n**bold**\n-\n-   "},
    {"no_break_space_after_bullet_keeps_text", "-", "+\u00A0not a list", "+\u00A0not a list"},
    {"white_space_after_the_gap_joins_it", "-", "* \u3000x", "- x"},
    {"non_ascii_content_follows_marker", "-", "*\t日本", "- 日本"},
    {"other_markers_leave_text_alone", "•", "* one", "* one"},
    {"two_character_marker_leaves_text_alone", "--", "* one", "* one"},
    {"empty_marker_leaves_text_alone", "", "* one", "* one"},
    {"trailing_line_feed_kept", "-", "* one\n", "- one\n"},
    {"carriage_return_line_feed_is_not_split", "-", "* one\r\n* two", "- one\r\n- two"},
    {"backtick_fence_protects_bullets", "-", "```\n* code\n```\n* item",
     "```\n* code\n```\n- item"},
    {"tilde_fence_at_any_indent", "-", "      ~~~\n* code\n~~~\n* item",
     "      ~~~\n* code\n~~~\n- item"},
    {"shorter_fence_does_not_close", "-", "````\n```\n* code\n````\n* item",
     "````\n```\n* code\n````\n- item"},
    {"other_fence_character_does_not_close", "-", "```\n~~~\n* code\n```\n* item",
     "```\n~~~\n* code\n```\n- item"},
    {"fence_with_text_after_does_not_close", "-", "```\n``` x\n* code\n```\n* item",
     "```\n``` x\n* code\n```\n- item"},
    {"longer_fence_closes", "-", "```\n* code\n`````\n* item", "```\n* code\n`````\n- item"},
    {"inline_code_run_is_no_fence", "-", "``` `x` ```\n* item", "``` `x` ```\n- item"},
    {"unclosed_fence_runs_to_the_end", "-", "~~~\n* code", "~~~\n* code"},
};

class ListMarkerRewriteTest : public testing::TestWithParam<Case> {};

TEST_P(ListMarkerRewriteTest, RewritesBulletsOutsideCode) {
    const Case& c = GetParam();
    EXPECT_EQ(postProcessMarkdown(c.markdown, c.marker), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ListMarkerRewriteTest, testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pindrake::zarezo
