#pragma once
// Heap bytes in use and their peak, counted by the benchmark program's own operator new and
// delete (every allocation of C++ code; libraries that call malloc themselves are not seen).

#include <cstddef>

namespace heap_counter {

std::size_t InUse();
std::size_t Peak();
// Starts a new peak at what is in use now.
void ResetPeak();

}  // namespace heap_counter
