#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "ReadBack.h"
#include "markdown/parse/ParseDocument.h"
#include "support/TestFiles.h"

namespace pindrake::markdown {
namespace {

using testing::LineLimit;
using testing::Options;

// Markdown documents that nobody here wrote, found where the machine keeps them: the READMEs
// and change logs of the installed JavaScript packages, and what the system's packages put
// under /usr/share/doc. Big files are left out to keep the run short.
std::vector<std::filesystem::path> realDocuments() {
    constexpr std::uintmax_t maxSize = 64 * 1024;
    std::vector<std::filesystem::path> found;
    for (const char* root : {PINDRAKE_JS_MODULES, "/usr/share/doc"}) {
        std::error_code error;
        std::filesystem::recursive_directory_iterator it(
            root, std::filesystem::directory_options::skip_permission_denied, error);
        for (; !error && it != std::filesystem::recursive_directory_iterator();
             it.increment(error)) {
            const auto& entry = *it;
            std::error_code ignored;
            if (entry.path().extension() == ".md" && entry.is_regular_file(ignored) &&
                entry.file_size(ignored) <= maxSize) {
                found.push_back(entry.path());
            }
        }
    }
    return found;
}

// What reads back under the defaults reads back however the formatter chooses to break lines,
// write code, headings and emphasis; and formatting the reread tree gives the same text.
TEST(RealDocumentsTest, WhatReadsBackReadsBackUnderEveryStyle) {
    const auto documents = realDocuments();
    ASSERT_FALSE(documents.empty()) << "no package documents under " << PINDRAKE_JS_MODULES;
    std::vector<std::pair<std::string, Options>> styles;
    for (std::int64_t limit : {20, 80}) {
        styles.emplace_back("soft breaks at " + std::to_string(limit),
                            testing::withLineLimit(limit));
        styles.emplace_back("hard breaks at " + std::to_string(limit),
                            testing::withLineLimit(limit, LineLimit::SplittingElement::hardBreak));
    }
    styles.emplace_back("never fenced", testing::changed([](Options& options) {
                            options.useCodeFence = Options::UseCodeFence::never;
                        }));
    styles.emplace_back("setext headings, underscores", testing::changed([](Options& options) {
                            options.preferredHeadingStyle = Options::PreferredHeadingStyle::setext;
                            options.emphasisMarker = Options::EmphasisMarker::underline;
                        }));
    std::size_t readBack = 0;
    for (const auto& path : documents) {
        const Document tree = parseDocument(test_support::readFile(path));
        if (!parseDocument(format(tree)).hasSameStructure(tree))
            continue;
        ++readBack;
        for (const auto& [name, options] : styles) {
            const std::string text = format(tree, options);
            const Document reread = parseDocument(text);
            EXPECT_TRUE(testing::normalised(reread, options)
                            .hasSameStructure(testing::normalised(tree, options)))
                << path << ", " << name;
            EXPECT_EQ(format(reread, options), text) << path << ", " << name;
        }
    }
    EXPECT_GT(readBack, 0u) << "no document to check the styles on";
    std::printf("%zu real documents, %zu read back under the defaults\n", documents.size(),
                readBack);
    ::testing::Test::RecordProperty("documents", static_cast<int>(documents.size()));
    ::testing::Test::RecordProperty("readBack", static_cast<int>(readBack));
}

}  // namespace
}  // namespace pindrake::markdown
