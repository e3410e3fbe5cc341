#include "tests/qemu/LaneRequests.h"

#include "sim/SimImage.h"
#include "sim/Simulator.h"

#include <algorithm>
#include <sstream>

namespace {
constexpr const char* kMonitorPrompt = "(qemu)";
} // namespace

TLaneRequests::TLaneRequests(sim::Simulator& Uart, sim::Simulator& Adapter, TFileTail& Trace,
                             TQemuMachine& Machine)
    : uart(Uart), adapter(Adapter), trace(Trace), machine(Machine) {}

std::optional<TLaneRequests::TFar> TLaneRequests::Far(const std::string& Name) const {
    if (Name == "uart")
        return TFar{&uart, ChipTrace::TChip::Uart};
    if (Name == "adapter")
        return TFar{&adapter, ChipTrace::TChip::Ftdi};
    return std::nullopt;
}

std::string TLaneRequests::Handle(const std::string& Request) {
    std::istringstream words(Request);
    std::string verb, name;
    words >> verb >> name;
    const auto far = Far(name);
    if (!far)
        return "unknown line " + name;
    // The guest asks only after its driver has spoken to the chip, so the trace holds the answer.
    for (const std::string& line : trace.NewLines())
        chips.Feed(line);

    if (verb == "settings")
        return chips.Settings(far->Chip);
    if (verb == "modem")
        return chips.ModemLines(far->Chip);
    if (verb == "break")
        return chips.Break(far->Chip);
    if (verb == "clear") {
        far->Simulator->ClearRules();
        return "ok";
    }
    if (size_t count = 0; verb == "send" && words >> count) {
        std::vector<uint8_t> bytes(count);
        for (size_t i = 0; i < count; ++i)
            bytes[i] = static_cast<uint8_t>(i);
        far->Simulator->SendRaw(bytes);
        return "sent";
    }
    if (int after = 0, pauseMs = 0; verb == "split" && words >> after >> pauseMs) {
        sim::Rule rule;
        rule.SplitAfter = after;
        rule.SplitPauseMs = pauseMs;
        far->Simulator->ClearRules();
        far->Simulator->AddRule(rule);
        return "ok";
    }
    if (size_t size = 0; verb == "image" && words >> size) {
        unsigned seed = 0, value16 = 0;
        if (words >> seed >> value16)
            return CompareImage(*far->Simulator, size, seed, value16);
    }
    if (size_t after = 0; verb == "pull" && far->Simulator == &adapter && words >> after) {
        pullAfter = after;
        newImageSeen = false;
        return "armed";
    }
    if (verb == "pulled")
        return pulled ? "yes" : "no";
    return "bad request: " + Request;
}

std::string TLaneRequests::CompareImage(const sim::Simulator& Simulator, size_t Size, unsigned Seed,
                                        unsigned Value16) const {
    const sim::ReceivedImage image = Simulator.Image();
    const std::vector<uint8_t> body = SimImage::PatternBody(Size, Seed);
    if (!image.Started)
        return "no update started";
    if (image.Value32 != Size || image.Value16 != Value16)
        return "values " + std::to_string(image.Value32) + " " + std::to_string(image.Value16);
    if (image.Body.size() != body.size())
        return "body of " + std::to_string(image.Body.size()) + " bytes";
    const auto differ = std::ranges::mismatch(image.Body, body);
    if (differ.in1 != image.Body.end())
        return "body differs from byte " + std::to_string(differ.in1 - image.Body.begin());
    return "same";
}

bool TLaneRequests::Tick() {
    if (!pullAfter)
        return false;
    // The image of an earlier update stays until the next one starts: count only a new one,
    // which is seen below the mark first.
    const size_t received = adapter.Image().Body.size();
    if (received < *pullAfter)
        newImageSeen = true;
    if (!newImageSeen || received < *pullAfter)
        return true;
    pullAfter.reset();
    const std::string answer = machine.Monitor(std::string("device_del ") + TQemuMachine::kAdapterId);
    pulled = answer.find(kMonitorPrompt) != std::string::npos && answer.find("Error") == std::string::npos;
    return false;
}
