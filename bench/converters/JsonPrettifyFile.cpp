// Prettifies a JSON file as json.prettify does and writes the result to standard output, for
// timing whole processes against other JSON tools; `--write-sample FILE` writes the benchmark's
// 10 MB sample instead.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>

#include "SampleJson.h"
#include "converters/JsonLayout.h"

int main(int argc, char** argv) {
    using namespace pindrake::converters;
    if (argc == 3 && std::string_view(argv[1]) == "--write-sample") {
        std::ofstream(argv[2], std::ios::binary) << bench::sampleJson(10 << 20);
        return 0;
    }
    if (argc != 2) {
        std::cerr << "usage: json-prettify-file FILE | --write-sample FILE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in && !in.eof()) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 1;
    }
    const auto pretty = json::prettified(text);
    if (!pretty) {
        std::cerr << "not a JSON object or array\n";
        return 1;
    }
    std::cout.write(pretty->data(), static_cast<std::streamsize>(pretty->size())) << '\n';
    return 0;
}
