#pragma once
// The serial port as the command-line tool opens it. By default it is the window's port, byte for
// byte. Two additions, both off unless asked for:
// - fast reads: the input is purged before each request, and a read ends as soon as the bytes
//   received are one complete, well-formed answer to that request with nothing queued behind it.
//   Anything else (no answer, a damaged or partial frame, bytes after the frame) is read by the
//   line's own rules, so such a read returns what the default read would have returned. The tap
//   hears such a read as one read, ended by frame when it ended at the frame end;
// - a stop request: once it is set, nothing more is written, so every exchange after the one
//   under way fails at once without touching the line.

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "serial/MyCOMM.h"

namespace LinePort {

class TLinePort : public MyCOMM::TZMyComm {
public:
    // Opens the port with the window's line settings; throws MyCOMM::ECommError like it.
    TLinePort(const std::string& Name, uint32_t Speed, bool Fast, const std::atomic<bool>* StopRequested);

    void SetTimeouts(uint32_t ReadInterval, uint32_t ReadTotalMultiplier, uint32_t ReadTotalConstant,
                     uint32_t WriteTotalMultiplier, uint32_t WriteTotalConstant) override;
    int Write(const void* Buffer, int Count) override;
    int Read(void* Buffer, int Count) override;

private:
    enum class TAnswer { Command, Link };
    // Keeps how each chunk of a fast read ended, in place of the tap.
    class TChunkEnd final : public LineTap::TLineTap {
    public:
        void Record(LineTap::TDirection, std::span<const uint8_t>, LineTap::TEnd End) override { Last = End; }
        LineTap::TEnd Last = LineTap::TEnd::None;
    };
    int ReadToFrameEnd(uint8_t* Buffer, int Count, LineTap::TEnd& End);
    // Reads up to Count bytes within LimitMs (none: the total rule alone).
    int ReadChunk(uint8_t* Buffer, int Count, std::optional<uint32_t> LimitMs);

    const bool fast;
    const std::atomic<bool>* stopRequested;
    TAnswer expected = TAnswer::Command;
    TChunkEnd chunkEnd;
    uint8_t linkAddress = 0;
    uint32_t readInterval = 0, readTotalMultiplier = 0, readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0, writeTotalConstant = 0;
};

} // namespace LinePort
