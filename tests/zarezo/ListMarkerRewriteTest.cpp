#include <gtest/gtest.h>

#include "zarezo/ListMarkerRewrite.h"
#include "zarezo/RenderedMarkdown.h"

namespace pindrake::zarezo {
namespace {

struct Case {
    const char* name;
    const char* marker;
    const char* markdown;
    const char* expected;
};

const Case cases[] = {
    {"bullets_become_marker_with_one_space", "-", "* one\n* two\n*\tthree\n*   four",
     "- one\n- two\n- three\n- four"},
    {"indent_up_to_three_spaces_kept", "*", "  - item\n   - deep", "  * item\n   * deep"},
    {"four_spaces_or_tab_is_not_a_bullet", "-", "    * code\n\t* code", "    * code\n\t* code"},
    {"thematic_breaks_and_non_items_untouched", "-", "***\n* * *\n - - - \n___\n--x\n**b**\n-\n-  ",
     "***\n* * *\n - - - \n___\n--x\n**b**\n-\n-  "},
    {"two_break_characters_make_an_item", "-", "* -", "- -"},
    {"no_break_space_after_bullet_keeps_text", "-", "+\u00A0not a list", "+\u00A0not a list"},
    {"only_spaces_and_tabs_make_the_gap", "-", "* \u3000x\n*\t日本", "- \u3000x\n- 日本"},
    {"other_markers_leave_text_alone", "•", "* one", "* one"},
    {"other_one_character_marker_leaves_text_alone", "x", "* one\n- two", "* one\n- two"},
    {"two_break_characters_take_any_marker", "*", "- -\n\n+ -", "* *\n\n+ *"},
    {"item_holding_a_rule_never_becomes_a_rule", "-", "*   ---\n+ - -\n* ___\n+ * *",
     "- ***\n+ - -\n- ___\n+ - -"},
    {"item_holding_a_rule_of_other_marks_rewritten", "*", "+   ***\n- * *\n+ ---",
     "* ---\n- * *\n* ---"},
    {"line_endings_kept", "-", "* one\r\n* two\n", "- one\r\n- two\n"},
    {"crlf_thematic_break_untouched", "-", "x\r\n* * *\r\ny", "x\r\n* * *\r\ny"},
    {"crlf_fence_closes", "-", "```\r\n* code\r\n```\r\n* item", "```\r\n* code\r\n```\r\n- item"},
    {"lone_carriage_return_ends_a_line", "-", "*\rx\n* y\r", "-\rx\n- y\r"},
    {"backtick_fence_protects_bullets", "-", "```\n* code\n```\n* item",
     "```\n* code\n```\n- item"},
    {"tilde_fence", "-", "~~~\n* code\n~~~\n* item", "~~~\n* code\n~~~\n- item"},
    {"fence_indented_four_spaces_is_code", "-", "      ~~~\n* item\n~~~\n* code",
     "      ~~~\n- item\n~~~\n* code"},
    {"shorter_fence_does_not_close", "-", "````\n```\n* code\n````\n* item",
     "````\n```\n* code\n````\n- item"},
    {"other_fence_character_does_not_close", "-", "```\n~~~\n* code\n```\n* item",
     "```\n~~~\n* code\n```\n- item"},
    {"fence_with_text_after_does_not_close", "-", "```\n``` x\n* code\n```\n* item",
     "```\n``` x\n* code\n```\n- item"},
    {"longer_fence_closes", "-", "```\n* code\n`````\n* item", "```\n* code\n`````\n- item"},
    {"inline_code_run_is_no_fence", "-", "``` `x` ```\n* item", "``` `x` ```\n- item"},
    {"unclosed_fence_runs_to_the_end", "-", "~~~\n* code", "~~~\n* code"},
    // An item's other lines move with its content, code inside it too.
    {"item_lines_move_with_its_content", "-", "*   one\n    two\n\n    three\n*   four",
     "- one\n  two\n\n  three\n- four"},
    {"fenced_code_in_an_item_moves_whole", "-",
     "-   a\n    \n    ```\n    code\n      more\n    ```",
     "- a\n  \n  ```\n  code\n    more\n  ```"},
    {"indented_code_in_an_item_moves_whole", "-", "-   a\n\n        code", "- a\n\n      code"},
    {"nested_items_move_together", "-", "-   a\n    -   b\n        c\r\n-   d",
     "- a\n  - b\n    c\r\n- d"},
    {"tab_in_code_of_an_item_is_literal", "-", "*   a\n\n    ```\n    \tx\n    ```",
     "- a\n\n  ```\n  \tx\n  ```"},
    {"blank_line_in_code_stays_blank", "-", "*   a\n\n    ```\n   \n    x\n   ",
     "- a\n\n  ```\n \n  x\n "},
    {"byte_order_mark_kept", "-", "\xEF\xBB\xBF*   a\n    b", "\xEF\xBB\xBF- a\n  b"},
    {"second_byte_order_mark_is_text", "-", "\xEF\xBB\xBF\xEF\xBB\xBF* a",
     "\xEF\xBB\xBF\xEF\xBB\xBF* a"},
    // A list keeps one bullet, and lists side by side keep apart.
    {"item_holding_a_rule_stays_in_its_list", "-", "* a\n*   ---\n* b", "- a\n- ***\n- b"},
    {"lists_side_by_side_keep_apart", "-", "* one\n+ two\n\n- three", "- one\n+ two\n\n- three"},
    {"list_before_one_with_the_new_bullet_keeps_its_own", "-", "* one\n- two", "* one\n- two"},
    // Where lines cannot move, the gap stays.
    {"lazy_line_that_would_join_keeps_the_gap", "-", "*   a\n  lazy", "-   a\n  lazy"},
    {"next_item_that_would_nest_keeps_the_gap", "-", "*   a\n  * b", "-   a\n  - b"},
    {"quoted_item_keeps_its_columns", "-", "> *   a\n>     b", "> -   a\n>     b"},
    {"tab_before_text_keeps_the_gap", "-", "*   a\n    \tb", "-   a\n    \tb"},
    {"gap_opening_indented_code_keeps_it", "-", "*     code", "-     code"},
    // Moved two columns, the tab would reach only two past the content and close the fence.
    {"tab_before_a_closing_fence_keeps_the_gap", "*",
     "-   x\n\n    ```\n    a\n    \t```\n    b\n    ```",
     "*   x\n\n    ```\n    a\n    \t```\n    b\n    ```"},
    // With tables the item ends before "b", whose paragraph holds "- y"; without, both are in
    // the item. The two readings rewrite it differently, so it stays as it is.
    {"table_in_an_item_then_a_lazy_line", "*", "-   | a |\n    | - |\nb\n    - y",
     "-   | a |\n    | - |\nb\n    - y"},
};

TEST(ListMarkerRewriteTest, RewritesBulletsAndReadsTheSame) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string rewritten = postProcessMarkdown(c.markdown, c.marker);
        EXPECT_EQ(rewritten, c.expected);
        for (const auto renderer : {testing::Renderer::core, testing::Renderer::gfm})
            EXPECT_EQ(testing::renderedHtml(rewritten, renderer),
                      testing::renderedHtml(c.markdown, renderer));
    }
}

}  // namespace
}  // namespace pindrake::zarezo
