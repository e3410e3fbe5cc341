#pragma once
// A port whose answers come from a script instead of the line, so the protocol objects decode
// fuzzer input without waiting on time-outs. The port object still opens a real terminal (a
// pseudo-terminal nobody writes to): that is the only way to make one.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "serial/MyCOMM.h"

namespace ScriptedLine {

using Bytes = std::vector<uint8_t>;

// Holds the master side of the pseudo-terminal the port object opens.
class TPtyMaster {
public:
    TPtyMaster();
    ~TPtyMaster();
    TPtyMaster(const TPtyMaster&) = delete;
    TPtyMaster& operator=(const TPtyMaster&) = delete;

protected:
    int masterFd;
    std::string slaveName;
};

class TScriptedLine : private TPtyMaster, public MyCOMM::TZMyComm {
public:
    TScriptedLine();

    // Each read takes the next answer; what a read leaves over stays in front of the next one, as
    // on the line. Forgets what was written before.
    void Script(std::vector<Bytes> Answers);

    // Every frame written since Script, and every read's result, in order.
    const std::vector<Bytes>& Writes() const { return writes; }
    const std::vector<Bytes>& Reads() const { return reads; }

    bool WriteAll(const void* Buffer, int Count) override;
    int Read(void* Buffer, int Count) override;

private:
    std::deque<Bytes> answers;
    Bytes pending;
    std::vector<Bytes> writes, reads;
};

} // namespace ScriptedLine
