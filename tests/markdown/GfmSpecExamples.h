#pragma once

#include <map>
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

// A checked-in list of example numbers, one "number reason" line each, # starting a comment:
// number -> reason. A number listed twice is reported as a failure.
std::map<int, std::string> listedExamples(const std::string& listText);

}  // namespace pindrake::markdown::testing
