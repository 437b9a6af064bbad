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
    {"bullets_become_marker_with_one_space", "-", "* one\n+ two\n-\tthree\n-   four",
     "- one\n- two\n- three\n- four"},
    {"indent_up_to_three_spaces_kept", "*", "  - item\n   + deep", "  * item\n   * deep"},
    {"four_spaces_or_tab_is_not_a_bullet", "-", "    * code\n\t* code", "    * code\n\t* code"},
    {"thematic_breaks_and_non_items_untouched", "-", "***\n* * *\n - - - \n___\n--x\n**b**\n-\n-  ",
     "***\n* * *\n - - - \n___\n--x\n**b**\n-\n-  "},
    {"two_break_characters_make_an_item", "-", "* -", "- -"},
    {"no_break_space_after_bullet_keeps_text", "-", "+\u00A0not a list", "+\u00A0not a list"},
    {"white_space_after_the_gap_joins_it", "-", "* \u3000x\n*\t日本", "- x\n- 日本"},
    {"other_markers_leave_text_alone", "•", "* one", "* one"},
    {"other_one_character_marker_leaves_text_alone", "x", "* one\n- two", "* one\n- two"},
    {"two_break_characters_take_any_marker", "*", "- -\n+ -", "* -\n* -"},
    {"item_holding_a_rule_never_becomes_a_rule", "-", "*   ---\n+ - -\n* ___\n+ * *",
     "*   ---\n+ - -\n- ___\n- * *"},
    {"item_holding_a_rule_of_other_marks_rewritten", "*", "+   ***\n- * *\n+ ---",
     "+   ***\n- * *\n* ---"},
    {"line_endings_kept", "-", "* one\r\n* two\n", "- one\r\n- two\n"},
    {"crlf_thematic_break_untouched", "-", "x\r\n* * *\r\ny", "x\r\n* * *\r\ny"},
    {"crlf_fence_closes", "-", "```\r\n* code\r\n```\r\n* item", "```\r\n* code\r\n```\r\n- item"},
    {"lone_carriage_return_is_text", "-", "*\rx\n* y\r", "*\rx\n- y\r"},
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

TEST(ListMarkerRewriteTest, RewritesBulletsOutsideCode) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(postProcessMarkdown(c.markdown, c.marker), c.expected);
    }
}

}  // namespace
}  // namespace pindrake::zarezo
