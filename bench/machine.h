#pragma once
// What the bench reads of the machine and of its own process: processors, CPU model, and the
// resident and peak memory from /proc (Linux only; elsewhere the readings are "not available").

#include <string>

namespace bench {

int ProcessorCount();  // what nproc prints: the processors this process may run on
std::string CpuModel();

// A field of /proc/self/status in kB (VmRSS, VmHWM), or -1.
long StatusKb(const char* field);
// Sets VmHWM back to the present VmRSS, so the next reading is the peak of what follows.
bool ResetPeakMemory();

inline double Mb(long kb) { return static_cast<double>(kb) / 1024.0; }

}  // namespace bench
