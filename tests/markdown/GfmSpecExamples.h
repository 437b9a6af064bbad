#pragma once

#include <string>
#include <vector>

namespace pindrake::markdown::testing {

struct SpecExample {
    int number = 0;
    std::string markdown;
};

// The examples of a spec text in the CommonMark test format, numbered from 1 in order; the
// arrow that stands for a tab in them is turned back into a tab.
std::vector<SpecExample> specExamples(const std::string& specText);

}  // namespace pindrake::markdown::testing
