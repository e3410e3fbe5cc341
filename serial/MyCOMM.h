#pragma once
// The tool's only access to the serial line: one object is one open port.
// Every transfer is synchronous and bounded by the time-outs set with SetTimeouts.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "serial/CommPort.h"
#include "serial/LineTap.h"

namespace MyCOMM {

// Raised only by the constructor, when the port cannot be opened. what() is the message the tool
// has always given; Reason() is the operating system's own words for the failure, for logs.
// PermissionDenied() tells a port the user may not open (on Linux, one of a group they are not in)
// from one that is missing or held by another program.
// Holder() and HolderLock() name the program holding the port, when one is known: its pid, and
// the lock file that names it (empty when the holder was found by its flock).
class ECommError : public std::runtime_error {
public:
    ECommError(const std::string& Message, const std::string& SystemReason, bool NoPermission = false,
               int HolderPid = 0, const std::string& LockPath = "")
        : std::runtime_error(Message), reason(SystemReason), noPermission(NoPermission), holder(HolderPid),
          lock(LockPath) {}
    const char* Reason() const noexcept { return reason.what(); }
    bool PermissionDenied() const noexcept { return noPermission; }
    int Holder() const noexcept { return holder; }
    const char* HolderLock() const noexcept { return lock.what(); }

private:
    std::runtime_error reason; // copied without throwing, as an exception must be
    bool noPermission;
    int holder;
    std::runtime_error lock;
};

class TZMyComm : public CommPort::TCommPort {
public:
    // Opens the port exclusively and sets the line; throws ECommError with
    // "Cannot open COM-port " + PortName, and the system's reason, when it cannot be opened.
    TZMyComm(const std::string& PortName, uint32_t BaudRate, uint32_t InQueueSize, uint32_t OutQueueSize,
             uint32_t DcbFlags, uint8_t Parity, uint8_t StopBits, uint8_t ByteSize);
    ~TZMyComm() override;
    TZMyComm(const TZMyComm&) = delete;
    TZMyComm& operator=(const TZMyComm&) = delete;

    // Milliseconds: silence that ends a read after its first byte, per-byte and constant parts of
    // the read limit, per-byte and constant parts of the write limit.
    virtual void SetTimeouts(uint32_t ReadInterval, uint32_t ReadTotalMultiplier, uint32_t ReadTotalConstant,
                             uint32_t WriteTotalMultiplier, uint32_t WriteTotalConstant);
    bool WriteAll(const void* Buffer, int Count) override; // true when not every byte went out
    virtual bool ReadAll(void* Buffer, int Count);         // true when fewer than Count bytes arrived
    virtual int Write(const void* Buffer, int Count);      // bytes written, 0..Count
    int Read(void* Buffer, int Count) override;            // bytes read, 0..Count
    virtual void Purge();                                  // drops both queues and pending transfers
    virtual void Break(bool Clear);                        // false: start a break; true: end it
    virtual int InQueue();                                 // bytes received and not read yet

    bool PurgeOnWrite = false;
    const std::string PortName;
    // When set, told every write and read after it returns; not owned. Unset, it costs one test.
    LineTap::TLineTap* Tap = nullptr;

private:
    struct Line;
    std::unique_ptr<Line> line;
};

// Appends the machine's serial port names to List: never sorts or removes, and skips a name
// that equals an entry already there, letter case ignored.
void ListComPorts(std::vector<std::string>& List);

} // namespace MyCOMM
