#pragma once
// The line contract: what a read of the port returns for each thing the far end of the line can do,
// as one table that every lane runs on its own far end. The pseudo-terminal lane has the simulated
// controller in the test program, the Wine lane simulators behind COM ports, the QEMU lane
// simulators behind the kernel's real drivers; each sets up a row its own way and the check is
// the same. The port is opened as the main window opens it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "serial/MyCOMM.h"

namespace LineContract {

// What the far end does once the row is set up.
enum class TFar {
    Nothing,      // sends nothing
    Burst,        // sends Bytes at once
    PausedAnswer, // answers a request, pausing PauseMs after its first Bytes bytes
    SlowAnswer,   // answers a request with Bytes bytes at 2400 bit/s: longer than a read may take
};

// One read: how many bytes it may return.
struct TRead {
    std::size_t Least, Most;
};

struct TRow {
    const char* Name;
    TFar Far;
    std::size_t Bytes = 0;
    int PauseMs = 0;
    std::vector<TRead> Reads;    // the reads that take it in, in order
    bool WholeAnswer = false;    // joined, the reads are one answer the judge takes
    bool EndsAtTheLimit = false; // the first read ends at the 500 ms total limit
    bool Paced = false;          // the far end must send at the line's speed
};

inline void PrintTo(const TRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

// The rows a lane runs: without FarEndPaces, those that need a far end sending at the line's
// speed are left out (QEMU passes bytes on as fast as they come).
std::vector<TRow> Rows(bool FarEndPaces);

// The lane's far end.
class TFarEnd {
public:
    virtual ~TFarEnd() = default;
    // Sets the far end up for Row, writing the request where the row has one, and returns the
    // port to read; null when this lane cannot do what the row asks.
    virtual MyCOMM::TZMyComm* Arrange(const TRow& Row) = 0;
    // The bytes the far end sent, where the lane knows them byte for byte.
    virtual std::optional<std::vector<uint8_t>> Sent() const { return std::nullopt; }
    // How much later than the limit a read that ends there may return on this lane.
    virtual std::chrono::milliseconds Slack() const { return std::chrono::milliseconds(400); }
};

// The port as the main window opens it.
std::unique_ptr<MyCOMM::TZMyComm> OpenPort(const std::string& Name, uint32_t BaudRate = 9600);

// Writes the request every simulated controller answers: GetParam 1 to address 1.
void Ask(MyCOMM::TZMyComm& Port);

// Runs Row on Far with GoogleTest's assertions; a row of a paused answer gets three attempts, as
// a loaded machine may wake the sender or the reader late. Skips the row where Far cannot do it.
void Check(const TRow& Row, TFarEnd& Far);

} // namespace LineContract
