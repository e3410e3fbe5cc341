#pragma once
// The entry point every fuzz target defines: libFuzzer calls it, and so does the replay program.

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size);
