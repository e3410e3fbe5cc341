#include "fuzz/FuzzCheck.h"

#include <cstdio>
#include <cstdlib>

namespace FuzzCheck {

void Require(bool Holds, const char* What) {
    if (!Holds) {
        std::fprintf(stderr, "property broken: %s\n", What);
        std::abort();
    }
}

} // namespace FuzzCheck
