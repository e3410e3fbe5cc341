#pragma once
// The simulated controller's state and the answer it gives to one received frame, faults
// applied. No input or output here: the simulator feeds it frames and writes what it returns.

#include "sim/SimFrames.h"
#include "sim/SimOptions.h"

#include <deque>
#include <vector>

namespace SimDevice {

struct Outcome {
    std::vector<uint8_t> answer; // empty: no answer
    bool imageComplete = false;  // this frame completed a firmware image
};

// Frames that the tool sends expecting an answer: command frames, link DATA and POLL.
bool IsExchange(const SimFrames::Frame& frame);

struct Device {
    sim::ControllerConfig config;
    sim::DispenserData data;
    bool updateMode = false;
    sim::ReceivedImage image;
    std::deque<sim::PollReply> pollReplies;
    int stopFromParam = 0;  // 0: every parameter is answered
    bool bothSides = false; // answers at config.Addr2 as well as at config.Addr1
    uint32_t lineSpeed = 0; // the only line speed it understands; 0: any

    // Whether a request sent at this line speed (0: unknown) reaches it as a request.
    bool Understands(uint32_t speed) const;
    // Under Silent and CloseLine the frame is not taken: nothing changes.
    Outcome Answer(const SimFrames::Frame& frame, sim::Fault fault);

private:
    bool AnswersAt(uint8_t address) const;
    std::vector<uint8_t> CommandAnswer(std::span<const uint8_t> request, sim::Fault fault);
    std::vector<uint8_t> LinkAnswer(const SimFrames::Frame& frame, sim::Fault fault, bool& imageComplete);
    std::vector<uint8_t> CommandData(uint8_t address, uint8_t code, std::span<const uint8_t> args);
    std::vector<uint8_t> PollAnswer(uint8_t address, uint16_t crcOffset);
    void TakeTransactions(std::span<const uint8_t> payload);
};

// Ten decimal characters packed two to a byte, high nibble first (missing characters count as 0).
std::vector<uint8_t> PackDigits(const std::string& text);

} // namespace SimDevice
