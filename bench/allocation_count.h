#pragma once
// The benchmark replaces the global operator new and delete with versions that count, per
// thread, how many times memory was asked for; a sweep's allocations are the difference of
// two readings on the thread that ran it. Other threads (Qt's X event reader) do not count.

#include <cstdint>

namespace bench {

std::uint64_t AllocationsOnThisThread() noexcept;

}  // namespace bench
