#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "markdown/parse/CmarkOptions.h"
#include "markdown/parse/Outline.h"
#include "markdown/parse/ParseDocument.h"
#include "support/Growth.h"

namespace pindrake::markdown {
namespace {

TEST(ParseOptionsTest, CmarkBitsFollowTheOptions) {
    struct Case {
        ParseOptions options;
        int bits;
    };
    const Case cases[] = {
        {{}, 0x100402},
        {ParseOptions::disableSmartOpts, 0x100002},
        {ParseOptions::disableSourcePosOpts, 0x100400},
        {ParseOptions::disableSmartOpts | ParseOptions::disableSourcePosOpts, 0x100000},
        {ParseOptions::parseSymbolLinks | ParseOptions::parseMinimalDoxygen, 0x100402},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cmarkOptionsFor(c.options), c.bits) << c.options.rawValue;
}

// The depth of the deepest node, walked without recursion.
std::size_t depthOf(const RawMarkup& root) {
    std::size_t deepest = 0;
    std::vector<std::pair<const RawMarkup*, std::size_t>> pending{{&root, 1}};
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        for (const RawMarkupPtr& child : node->children())
            pending.push_back({child.get(), depth + 1});
    }
    return deepest;
}

TEST(RobustnessTest, DeepNestingParsesWithoutExhaustingTheStack) {
    std::string quotes;
    for (int i = 0; i < 100000; ++i)
        quotes += "> ";
    quotes += "x";
    std::string emphasis;
    for (int i = 0; i < 50000; ++i)
        emphasis += "*a ";
    for (int i = 0; i < 50000; ++i)
        emphasis += "b*";
    std::string brackets;
    for (int i = 0; i < 50000; ++i)
        brackets += "^[";
    for (int i = 0; i < 50000; ++i)
        brackets += "](k)";
    struct Case {
        const char* name;
        const std::string& text;
        std::size_t minimumDepth;
    };
    const Case cases[] = {
        {"block quotes", quotes, 100000},
        {"emphasis", emphasis, 40000},
        {"attribute spans", brackets, 40000},
    };
    for (const Case& c : cases) {
        const Document document = parseDocument(c.text);
        EXPECT_GE(depthOf(document.raw()), c.minimumDepth) << c.name;
    }
}

// `start`, then `piece` `repeats` times.
std::string repeated(const std::string& start, const std::string& piece, std::size_t repeats) {
    std::string text = start;
    for (std::size_t i = 0; i < repeats; ++i)
        text += piece;
    return text;
}

// How many times longer parsing the text with all the repeats takes than with 1/64 of them: about
// 64 times (up to 3 times that again once the large text leaves the caches) for work that grows
// with the text, far below the 4096 times of work that grows with its square.
double parseGrowth(const std::string& start, const std::string& piece, std::size_t repeats,
                   ParseOptions options = {}) {
    const std::string small = repeated(start, piece, repeats / 64);
    const std::string large = repeated(start, piece, repeats);
    return test_support::growth([&] { parseDocument(small, options); },
                                [&] { parseDocument(large, options); });
}

TEST(RobustnessTest, HostileTablesAndParenthesesStayLinear) {
    std::string header;
    std::string delimiter;
    for (int i = 0; i < 2000; ++i) {
        header += "| a ";
        delimiter += "|---";
    }
    // Each text repeats its piece after a fixed start.
    struct Case {
        const char* name;
        std::string start;
        std::string piece;
        std::size_t repeats;
        std::int64_t nodesPerByte;  // short rows are padded up to a budget of empty cells
    };
    const Case cases[] = {
        {"short rows under a wide header", header + "|\n" + delimiter + "|\n", "x\n", 24 * 1024, 10},
        {"open parentheses", "", "^[a](", 52 * 1024, 2},
        {"delimiter lines", "", "a | b\n|-|\n", 26 * 1024, 2},
    };
    for (const Case& c : cases) {
        EXPECT_LT(parseGrowth(c.start, c.piece, c.repeats), 64 * 8) << c.name;
        // Far fewer nodes than a cell per column per row would make.
        const std::string large = repeated(c.start, c.piece, c.repeats);
        const Document document = parseDocument(large);
        EXPECT_LT(document.raw().subtreeCount(),
                  static_cast<std::int64_t>(large.size()) * c.nodesPerByte)
            << c.name;
    }
}

TEST(RobustnessTest, FencesInContainersStayLinearWithDirectives) {
    // A line of a run that starts like a directive asks how cmark reads the run's fences: each
    // line is read once, whatever the depth of the containers and the number of runs.
    std::string deep;
    for (int i = 0; i < 2000; ++i)
        deep += "> ";
    struct Case {
        std::string start;
        std::string piece;
        std::size_t repeats;
    };
    const Case cases[] = {
        {deep + "- ```\n@d\n- ```\n", "  @code {\n", 16 * 1024},
        {"", "> > > > - ```\n@d\n", 4 * 1024},
    };
    for (const Case& c : cases) {
        EXPECT_LT(parseGrowth(c.start, c.piece, c.repeats, ParseOptions::parseBlockDirectives),
                  64 * 8)
            << c.piece;
    }
}

TEST(RobustnessTest, ParsesOnFourThreadsGiveTheSameTreesAsOne) {
    const std::vector<std::string> texts = {
        "a ~~gone~~ *b* ^[c](k: v)\n\n| h | i |\n|---|---|\n| a || \n| ^ | b |\n",
        "- [x] task ~~struck~~\n- [ ] `code` and ``symbol``\n",
        "> quote with ~~strike~~ and **strong**\n",
    };
    std::vector<std::string> expected;
    for (const std::string& text : texts)
        expected.push_back(testing::outline(parseDocument(text).raw()));
    std::vector<std::vector<std::string>> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 300; ++round) {
                const std::size_t i = (t + static_cast<std::size_t>(round)) % texts.size();
                std::string tree = testing::outline(parseDocument(texts[i]).raw());
                if (tree != expected[i])
                    seen[t].push_back(std::move(tree));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const auto& differing : seen)
        EXPECT_TRUE(differing.empty()) << differing.front();
}

}  // namespace
}  // namespace pindrake::markdown
