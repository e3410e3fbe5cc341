#pragma once
// A simulated dispenser controller on the master side of a pseudo-terminal. The tool opens
// PortPath() like a real serial port. Written from the wire formats only; it shares nothing with
// the tool but the checksum routine.
//
// It answers the command protocol at its address and, in update mode, the link protocol at
// address 255. Faults are switched on per exchange through rules. An "exchange" is every frame
// received that expects an answer (command frames, link DATA and POLL frames), counted from 1,
// whether or not the simulator answers it; the tool's write-only link ACKs are recorded but not
// counted.
//
// Several controllers (Options::Controllers) share the line as on a station: each has its own
// configuration, data, update mode and image, and answers at both its side addresses, Addr1 and
// Addr2. Every controller that takes a frame answers it, all at once: a request to address 0 (the
// address query) gets every controller's answer with their bytes interleaved, as two controllers
// at one address do, and the link protocol is answered by whichever controllers are in update mode
// or have poll replies queued. A controller given a line speed hears nothing while the tool's port
// is at another. Rules apply per exchange, to every answer. The methods that take an Index reach
// the controller with that index (0: the single controller, or the first).
//
// A noisy line (Options::Noise) flips bits of what the tool sends before the controller parses it
// and of the answers before they go out. A frame it broke forms no frame, and is dropped with
// whatever runs into it once the line has been silent for 50 ms.
//
// Command side, at Config().Addr1 (GetAddresses at address 0):
// - GetAmount: selector 1 answers kind 1 alone (length 7), 2 kind 2 alone, anything else both
//   (length 13); the byte after the length echoes the selector. GetSumm likewise by its second
//   argument (length 8 or 15), the index echoing the first argument. Auth, Stop, Reset, SetParam
//   and EnterUpdateMode answer one data byte 0.
// - GetParam of an unknown id answers the id alone (length 1).
// - SetParam stores ids 1 to 10. The answer to a new Addr1 (or Addr2) comes from the address the
//   request was sent to; the answers that follow come from the new one.
// - EnterUpdateMode with an address byte other than the request's address, or with another
//   serial number, is not answered at all, as a controller that cannot enter update mode would
//   leave the tool waiting.
// - Command codes it does not know are not answered.
//
// Link side, at 255, in update mode or while poll replies are queued: a DATA frame gets an ACK
// with its TX, except a configuration request in update mode, which gets a NAK with its TX (the
// tool's probe thus sees "already in update mode"). Update-start (0xB6) starts a new image;
// blocks (0xC7) are appended. The update's 32-bit value is taken as the body's length: update
// mode ends once that many body bytes have come. A POLL takes the next queued reply, else EOT
// with TX 0 in update mode; in normal mode with nothing queued link frames get no answer.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimOptions.h"

namespace sim {

class Simulator {
public:
    explicit Simulator(const Options& options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const std::string& PortPath() const;

    ControllerConfig Config(size_t Index = 0) const;
    void SetConfig(const ControllerConfig& config, size_t Index = 0);
    DispenserData Data(size_t Index = 0) const;
    void SetData(const DispenserData& data, size_t Index = 0);

    // Command protocol, every controller: every GetParam answer from parameter Id on (in GetParam
    // order: 1 to 10, 100, 101) is withheld. An Id outside that list withholds nothing.
    void StopAnsweringFromParam(int Id);

    void AddRule(const Rule& rule);
    void ClearRules();

    bool InUpdateMode(size_t Index = 0) const;
    void SetUpdateMode(bool on, size_t Index = 0);
    ReceivedImage Image(size_t Index = 0) const;

    // Link protocol: the next POLLs are answered by these replies in order, in any mode.
    void QueuePollReply(const PollReply& reply, size_t Index = 0);

    // Every frame received on the line, raw as it came off it, in order.
    std::vector<std::vector<uint8_t>> ReceivedFrames() const;
    // One per frame of ReceivedFrames(), in the same order.
    std::vector<FrameTiming> Timings() const;
    void ClearReceived();
    // Waits until at least Count frames have been received; returns how many there are.
    size_t WaitForFrames(size_t Count, std::chrono::milliseconds Timeout) const;
    int ExchangeCount() const;
    // What the noise (Options::Noise) has done so far.
    NoiseCount Noise() const;

    // Writes raw bytes to the line now (stale input for the next read).
    void SendRaw(const std::vector<uint8_t>& bytes);
    // While paused nothing is read, so the tool's writes block once the line's buffer is full.
    void PauseReading(bool paused);
    // Pulls the adapter: closes the simulator's side of the line. The port hangs up: the tool's
    // reads end at once with nothing (end of file) and its writes fail with EIO.
    void CloseLine();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace sim
