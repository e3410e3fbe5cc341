#pragma once
// The simulator's values as JSON, for the loopback between a Windows test under Wine and the
// sim_host program that runs the simulator for it.

#include <nlohmann/json.hpp>

#include "sim/SimOptions.h"

namespace SimJson {

using Json = nlohmann::json;

Json FromOptions(const sim::Options& Options); // Address, UpdateMode, PaceBitsPerSecond, Noise, Controllers
sim::Options ToOptions(const Json& Object);
Json FromConfig(const sim::ControllerConfig& Config);
sim::ControllerConfig ToConfig(const Json& Object);
Json FromRule(const sim::Rule& Rule);
sim::Rule ToRule(const Json& Object);
Json FromPollReply(const sim::PollReply& Reply);
sim::PollReply ToPollReply(const Json& Object);
Json FromImage(const sim::ReceivedImage& Image);
sim::ReceivedImage ToImage(const Json& Object);

} // namespace SimJson
