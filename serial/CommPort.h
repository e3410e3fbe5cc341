#pragma once
// What the protocol objects need of a line: a whole frame out, then one answer in. TZMyComm is the
// line itself; a test double or a fuzz harness stands in for it without opening any device.

namespace CommPort {

class TCommPort {
public:
    virtual ~TCommPort() = default;

    virtual bool WriteAll(const void* Buffer, int Count) = 0; // true when not every byte went out
    virtual int Read(void* Buffer, int Count) = 0;            // bytes read, 0..Count

protected:
    TCommPort() = default;
    TCommPort(const TCommPort&) = default;
    TCommPort& operator=(const TCommPort&) = default;
};

} // namespace CommPort
