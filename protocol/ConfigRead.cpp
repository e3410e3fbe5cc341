#include "protocol/ConfigRead.h"

#include "protocol/PtnLL.h"

namespace ConfigRead {

bool WithRepeats(PtnLL::TPtnLL& Commands) {
    Commands.GetConfig();
    for (int run = 1; !Commands.Ok && run < kRuns; ++run) {
        Commands.GetConfig();
    }
    return Commands.Ok;
}

} // namespace ConfigRead
