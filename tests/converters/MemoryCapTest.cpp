#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "conversion-helper/MemoryCap.h"

// The helper's projection of its own growth, fed the looks a process gets: whatever the spacing
// of the looks, a process growing at a steady pace is ended before it passes its cap, and not
// long before.
namespace pindrake::conversion_helper {
namespace {

constexpr double megabyte = 1e6;
constexpr std::size_t cap = 600'000'000;

struct Stretch {
    double microseconds;
    double megabytesPerMillisecond;
};

// The resident set after `at` microseconds of processor time, from 40 MB.
double residentAt(const std::vector<Stretch>& growth, double at) {
    double resident = 40 * megabyte, start = 0;
    for (const Stretch& stretch : growth) {
        const double span = std::min(stretch.microseconds, std::max(at - start, 0.0));
        resident += span * stretch.megabytesPerMillisecond * megabyte / 1000;
        start += stretch.microseconds;
    }
    return resident;
}

TEST(CapProjectionTest, EndsAGrowingProcessBeforeItsCapHoweverTheLooksAreSpaced) {
    // Processor time between looks, as seen: a tick each on a quiet machine; on a loaded one,
    // with several threads, from a fraction of a millisecond to 15 ms.
    const std::vector<double> quiet{4'000};
    const std::vector<double> loaded{480, 11'900, 160, 14'500, 1'700, 9'500, 670, 7'800};
    const std::vector<Stretch> steady{{1e9, 1.4}};
    const std::vector<Stretch> copying{{1e9, 4.0}};
    // Collections: no growth for a few milliseconds, then the same pace again.
    std::vector<Stretch> pausing;
    // Pages touched in bursts: looks close together often see no growth at all.
    std::vector<Stretch> bursts;
    for (int i = 0; i < 1'000; ++i) {
        pausing.insert(pausing.end(), {{34'000, 1.4}, {6'000, 0}});
        bursts.insert(bursts.end(), {{700, 2.8}, {700, 0}});
    }
    const struct {
        const char* name;
        const std::vector<double>& looks;
        const std::vector<Stretch>& growth;
    } cases[] = {
        {"quiet, steady", quiet, steady},     {"loaded, steady", loaded, steady},
        {"quiet, copying", quiet, copying},   {"loaded, copying", loaded, copying},
        {"quiet, pausing", quiet, pausing},   {"loaded, pausing", loaded, pausing},
        {"quiet, in bursts", quiet, bursts},  {"loaded, in bursts", loaded, bursts},
    };
    for (const auto& c : cases) {
        CapProjection projection(cap, static_cast<std::size_t>(residentAt(c.growth, 0)), 0);
        double at = 0, ended = 0;
        for (std::size_t look = 0; at < 1e6 && ended == 0; ++look) {
            at += c.looks[look % c.looks.size()];
            const double resident = residentAt(c.growth, at);
            // Growing until this look, it must not have passed the cap on the way.
            ASSERT_LE(resident, cap) << c.name << " at " << at << " us";
            if (projection.wouldPass(static_cast<std::size_t>(resident), at))
                ended = resident;
        }
        EXPECT_GE(ended, cap / 2) << c.name << ": ended long before its cap";
    }
}

}  // namespace
}  // namespace pindrake::conversion_helper
