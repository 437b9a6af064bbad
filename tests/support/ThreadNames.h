#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include <unistd.h>

#include "support/Eventually.h"

namespace pindrake::test_support {

// The system-level ids of this process's threads named `name` (as `top` shows them). Tests
// compare sets rather than counts: threads that earlier tests left to finish on their own may
// end at any moment.
inline std::set<std::string> threadsNamed(const std::string& name) {
    std::set<std::string> ids;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string threadName;
        if (std::getline(comm, threadName) && threadName == name)
            ids.insert(task.path().filename().string());
    }
    return ids;
}

// The threads named `name` that are not among `earlier`.
inline std::set<std::string> threadsNamedSince(const std::string& name,
                                               const std::set<std::string>& earlier) {
    std::set<std::string> added;
    const auto now = threadsNamed(name);
    std::set_difference(now.begin(), now.end(), earlier.begin(), earlier.end(),
                        std::inserter(added, added.end()));
    return added;
}

// The processor time thread `id` (an id from threadsNamed) has used so far; none once it ended.
inline std::chrono::milliseconds threadCpuTime(const std::string& id) {
    std::ifstream stat("/proc/self/task/" + id + "/stat");
    std::string line;
    std::getline(stat, line);
    // The name, in parentheses, may hold spaces: fields are counted from the state after it,
    // the third; user and system time are the 14th and 15th, in clock ticks.
    const auto nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos)
        return {};
    std::istringstream fields(line.substr(nameEnd + 1));
    std::string field;
    unsigned long long ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number >= 14)
            ticks += std::stoull(field);
    }
    return std::chrono::milliseconds(ticks * 1000 /
                                     static_cast<unsigned long long>(sysconf(_SC_CLK_TCK)));
}

// Whether thread `id` (an id from threadsNamed, or the caller's own from gettid) has used
// `busy` more processor time than `before`, within a generous wait: a thread running a script
// that never ends gets there, once well past what starting it costs.
inline bool threadSpins(const std::string& id, std::chrono::milliseconds busy,
                        std::chrono::milliseconds before = {}) {
    return eventually([&] { return threadCpuTime(id) - before >= busy; });
}

// Whether every thread of `threads` (ids from threadsNamed) ended within a generous wait.
inline bool threadsEnd(const std::set<std::string>& threads) {
    return eventually([&] {
        return std::none_of(threads.begin(), threads.end(), [](const std::string& id) {
            return std::filesystem::exists("/proc/self/task/" + id);
        });
    });
}

}  // namespace pindrake::test_support
