#include "tests/support/SimLine.h"

#include "sim/Simulator.h"

namespace SimLine {
namespace {

class TLocalSim final : public TSimLine {
public:
    explicit TLocalSim(const sim::Options& Options) : Sim(Options) {}

    std::string PortPath() const override { return Sim.PortPath(); }
    sim::ControllerConfig Config(std::size_t Controller) const override { return Sim.Config(Controller); }
    void SetConfig(const sim::ControllerConfig& Config, std::size_t Controller) override {
        Sim.SetConfig(Config, Controller);
    }
    void AddRule(const sim::Rule& Rule) override { Sim.AddRule(Rule); }
    void ClearRules() override { Sim.ClearRules(); }
    sim::ReceivedImage Image() const override { return Sim.Image(); }
    void QueuePollReply(const sim::PollReply& Reply) override { Sim.QueuePollReply(Reply); }
    std::vector<std::vector<uint8_t>> ReceivedFrames() const override { return Sim.ReceivedFrames(); }
    void ClearReceived() override { Sim.ClearReceived(); }
    int ExchangeCount() const override { return Sim.ExchangeCount(); }

private:
    sim::Simulator Sim;
};

} // namespace

std::unique_ptr<TSimLine> Start(const sim::Options& Options) {
    return std::make_unique<TLocalSim>(Options);
}

} // namespace SimLine
