#include "GfmCorpus.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

const std::string& gfmCorpus() {
    static const std::string text = [] {
        std::ifstream file(PINDRAKE_GFM_SPEC_TEXT, std::ios::binary);
        const std::string spec{std::istreambuf_iterator<char>(file),
                               std::istreambuf_iterator<char>()};
        if (spec.empty())
            std::abort();
        std::string repeated;
        while (repeated.size() < 1'000'000)
            repeated += spec + "\n\n";
        return repeated;
    }();
    return text;
}
