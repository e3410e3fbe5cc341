#include "serial/LineTap.h"

namespace LineTap {

TEnd ReadEnd(int Got, int Count, bool SilencePassed, bool TotalPassed) {
    if (Got >= Count)
        return TEnd::Count;
    if (SilencePassed && Got > 0)
        return TEnd::Silence;
    if (TotalPassed)
        return TEnd::Timeout;
    return TEnd::Failed;
}

} // namespace LineTap
