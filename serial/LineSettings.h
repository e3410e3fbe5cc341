#pragma once
// The line as the controller expects it and the time-outs every exchange relies on; the window and
// the command-line tool open their ports with these.

#include <cstdint>

namespace LineSettings {

constexpr uint32_t kQueueSize = 256;
constexpr uint32_t kDcbFlags = 2; // parity checking on, everything else off
constexpr uint8_t kOddParity = 1;
constexpr uint8_t kOneStopBit = 0;
constexpr uint8_t kByteSize = 8;
// Time-outs in ms: a read ends 25 ms after the last byte or 500 ms after it began; a write may
// take 1 ms a byte plus 200 ms.
constexpr uint32_t kReadInterval = 25;
constexpr uint32_t kReadTotal = 500;
constexpr uint32_t kWritePerByte = 1;
constexpr uint32_t kWriteTotal = 200;

} // namespace LineSettings
