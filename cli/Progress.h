#pragma once
// The update's progress on standard error: on a terminal one line that rewrites itself, otherwise
// one line each time another tenth is done.

#include <chrono>
#include <cstddef>
#include <iosfwd>

#include "firmware/FirmwareUpdate.h"

namespace Progress {

bool StandardErrorIsTerminal();

class TProgressLine : public FirmwareUpdate::TProgress {
public:
    // BodyBytes: the bytes the blocks carry.
    TProgressLine(std::ostream& Err, bool Terminal, std::size_t BodyBytes);
    ~TProgressLine() override;
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    // The first call opens the transfer; every later one follows a block. The text is the
    // window's caption, which the line does not need.
    void SetState(const std::u16string& Text, int Percent) override;
    void ProcessMessages() override {}

    std::size_t BlocksDone() const { return blocksDone; }
    std::size_t Blocks() const { return blocks; }

private:
    std::ostream& err;
    const bool terminal;
    const std::size_t bodyBytes;
    const std::size_t blocks;
    std::size_t blocksDone = 0;
    bool opened = false;
    int tenthsShown = 0;
    std::chrono::steady_clock::time_point start;
};

// The wait window of the preparation: nothing to show.
class TQuiet : public FirmwareUpdate::TProgress {
public:
    void SetState(const std::u16string&, int) override {}
    void ProcessMessages() override {}
};

} // namespace Progress
