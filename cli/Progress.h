#pragma once
// The update's progress on standard error: on a terminal one line that rewrites itself, otherwise
// one line each time another tenth is done.

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace Progress {

bool StandardErrorIsTerminal();

class TProgressLine {
public:
    // BodyBytes: the bytes the blocks carry.
    TProgressLine(std::ostream& Err, bool Terminal, std::size_t BodyBytes);
    ~TProgressLine();
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    // On a terminal, the line says what a step before the transfer is doing.
    void Say(const std::string& Doing);
    // The transfer begins.
    void Start();
    // A block has been sent: Acknowledged of Blocks have been taken by the controller so far.
    void Block(std::size_t Acknowledged, std::size_t Blocks);
    // The update starts again from its first block, attempt Number of at most Of: a line of its own.
    void Attempt(int Number, int Of);

private:
    std::ostream& err;
    const bool terminal;
    const std::size_t bodyBytes;
    // On a terminal: puts Line in place of the one shown.
    void Rewrite(const std::string& Line);

    std::string attempt; // names the attempt from the second one on
    bool shown = false;
    std::size_t shownWidth = 0;
    int tenthsShown = 0;
    std::chrono::steady_clock::time_point start;
};

} // namespace Progress
