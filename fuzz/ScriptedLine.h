#pragma once
// A line whose answers come from a script instead of a device, so the protocol objects decode
// fuzzer input without opening anything or waiting on time-outs.

#include <cstdint>
#include <deque>
#include <vector>

#include "serial/CommPort.h"

namespace ScriptedLine {

using Bytes = std::vector<uint8_t>;

class TScriptedLine : public CommPort::TCommPort {
public:
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
