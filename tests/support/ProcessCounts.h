#pragma once
// What this process holds now, from /proc/self: tests compare the counts before and after a run
// to find descriptors or threads left behind.

namespace ProcessCounts {

int OpenDescriptors();
int Threads();

} // namespace ProcessCounts
