#pragma once
// Whether a configuration the tool read is the one the simulated controller holds, field by field:
// a read that passed its checks yet differs would be a wrong configuration reported as good.

#include "protocol/PtnLL.h"
#include "sim/Simulator.h"

namespace HeldConfig {

bool Holds(const sim::ControllerConfig& Held, const PtnLL::TCfgStruct& Read);

} // namespace HeldConfig
