#include "GfmSpecExamples.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace pindrake::markdown::testing {

namespace {

const std::string fence(32, '`');

std::string withTabs(std::string text) {
    const std::string arrow = "\u2192";
    for (std::size_t at = text.find(arrow); at != std::string::npos; at = text.find(arrow, at)) {
        text.replace(at, arrow.size(), "\t");
    }
    return text;
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

std::string readFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace pindrake::markdown::testing
