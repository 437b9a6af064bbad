#include "GfmSpecExamples.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string_view>

namespace pindrake::markdown::testing {

namespace {

const std::string fence(32, '`');

std::string withTabs(std::string_view text) {
    constexpr std::string_view arrow = "\u2192";
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = text.find(arrow); at != std::string_view::npos; at = text.find(arrow)) {
        out.append(text.substr(0, at)).push_back('\t');
        text.remove_prefix(at + arrow.size());
    }
    return out.append(text);
}

}  // namespace

std::vector<SpecExample> specExamples(const std::string& specText) {
    std::vector<SpecExample> examples;
    std::istringstream lines(specText);
    std::string line;
    bool inMarkdown = false;
    bool inExample = false;
    std::string markdown;
    while (std::getline(lines, line)) {
        if (!inExample) {
            if (line.rfind(fence + " example", 0) == 0) {
                inExample = true;
                inMarkdown = true;
                markdown.clear();
            }
        } else if (line == fence) {
            inExample = false;
            examples.push_back({static_cast<int>(examples.size()) + 1, withTabs(markdown)});
        } else if (inMarkdown && line == ".") {
            inMarkdown = false;
        } else if (inMarkdown) {
            markdown += line;
            markdown += '\n';
        }
    }
    return examples;
}

std::map<int, std::string> listedExamples(const std::string& listText) {
    std::istringstream lines(listText);
    std::map<int, std::string> listed;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        int number = 0;
        std::string reason;
        fields >> number >> reason;
        EXPECT_TRUE(listed.emplace(number, reason).second) << "listed twice: " << number;
    }
    return listed;
}

}  // namespace pindrake::markdown::testing
