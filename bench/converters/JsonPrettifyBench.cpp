// json.prettify of a 10 MB JSON text, against `jq .` on the same file in the same run: the
// prettifier in-process, jq as a whole process (its start-up is a few milliseconds of the
// total). The "vs_jq" counter is prettify time / jq time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "SampleJson.h"
#include "converters/JsonLayout.h"

extern char** environ;

namespace pindrake::converters::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t sampleBytes = 10 << 20;

const std::string& sample() {
    static const std::string json = sampleJson(sampleBytes);
    return json;
}

const fs::path& sampleFile() {
    static const fs::path path = [] {
        fs::path file =
            fs::temp_directory_path() / ("pindrake-bench-" + std::to_string(::getpid()) + ".json");
        std::ofstream(file, std::ios::binary) << sample();
        return file;
    }();
    return path;
}

// Seconds one `jq .` takes over the sample, its output thrown away; negative when it cannot run.
double jqSeconds() {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string file = sampleFile().string();
    char* const argv[] = {const_cast<char*>("jq"), const_cast<char*>("."),
                          const_cast<char*>(file.c_str()), nullptr};
    const auto start = Clock::now();
    pid_t child = 0;
    const int error = posix_spawnp(&child, "jq", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (error != 0 || ::waitpid(child, &status, 0) != child || status != 0)
        return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double prettifySeconds() {
    const auto start = Clock::now();
    auto pretty = json::prettified(sample());
    benchmark::DoNotOptimize(pretty);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Each iteration times both, in turn, so that a drift of the machine's speed moves both.
void BM_JsonPrettifyVsJq(benchmark::State& state) {
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const double prettify = prettifySeconds();
        const double jq = jqSeconds();
        if (jq < 0) {
            state.SkipWithError("jq cannot run (install Debian's jq)");
            return;
        }
        ours += prettify;
        theirs += jq;
        state.SetIterationTime(prettify);
    }
    state.counters["jq_s"] = theirs / static_cast<double>(state.iterations());
    state.counters["vs_jq"] = ours / theirs;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample().size()));
}
BENCHMARK(BM_JsonPrettifyVsJq)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_JsonMinify(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(json::minified(sample()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample().size()));
}
BENCHMARK(BM_JsonMinify)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pindrake::converters::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::error_code ignored;
    std::filesystem::remove(pindrake::converters::bench::sampleFile(), ignored);
    benchmark::Shutdown();
    return 0;
}
