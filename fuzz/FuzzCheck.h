#pragma once
// A property that must hold for every input: when it does not, the run stops as a crash would, so
// the fuzzer keeps the input that broke it.

namespace FuzzCheck {

void Require(bool Holds, const char* What);

} // namespace FuzzCheck
