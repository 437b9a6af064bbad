#pragma once

#include <cstddef>

namespace pindrake::conversion_helper {

// Holds this process below `capBytes` of resident memory: after every few milliseconds of the
// process's processor time, on the thread that used them, the resident set is read and the
// process ends before it would pass the cap, first telling the app so over `socket`. Counted in
// processor time, the looks keep pace with the growth however busy the machine is, and no thread
// of the app's has to be scheduled in time. False when the looks cannot be set up.
bool holdMemoryCap(std::size_t capBytes, int socket);

}  // namespace pindrake::conversion_helper
