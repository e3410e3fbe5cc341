#pragma once
// The command protocol: one request frame and one answer at a time to one dispenser controller.
// Every operation reports its outcome in Ok; any failure also sets State to 6 and leaves the
// reason in LastFailure.

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

#include "protocol/CommandFrame.h"
#include "serial/CommPort.h"

namespace PtnLL {

// The controller's configuration as the configuration page shows it.
struct TCfgStruct {
    uint8_t Addr1 = 0, NoFillTO1 = 0, Addr2 = 0, NoFillTO2 = 0, MinVoltage = 0, NoMaster = 0, PricePoint = 0,
            AmoPoint = 0;
    bool Recalc = false, ElType = false;
    std::string SerialNo, FwVersion;
};

// Copies the value of parameter Id (a setting written by SetParam) from From into To; other ids
// copy nothing.
void CopyParameter(uint8_t Id, const TCfgStruct& From, TCfgStruct& To);

// The exchange that failed last: its command, the parameter of a GetParam or SetParam, and why.
struct TFailure {
    uint8_t Command = 0;
    std::optional<uint8_t> Parameter;
    CommandFrame::TVerdict Verdict;
};

class TPtnLL {
public:
    // Comm is held, never owned: the line outlives the object.
    TPtnLL(int32_t Address, CommPort::TCommPort& Comm);

    TCfgStruct Cfg;
    int32_t Address;
    bool Ready = false;
    int32_t State = -1;
    uint32_t Errors = 0;
    bool Ok = false;
    TFailure LastFailure;

    int64_t FillVolume = 0, FillMoney = 0;
    std::array<int64_t, 8> TotalVolume{}, TotalMoney{}; // index 1..8 stored at [index - 1]

    // Told the new dispenser address as soon as SetConfig has written side 1's address.
    std::function<void(int32_t)> OnAddressChanged;

    void GetState();
    void Auth();
    void Stop();
    void GetAmount(uint8_t Selector);
    void GetSumm(uint8_t First, uint8_t Second);
    void Reset();
    void GetParam(uint8_t Id);
    void SetParam(uint8_t Id);
    void EnterUpdateMode();
    void GetAddresses(uint8_t& First, uint8_t& Second);
    void GetConfig();
    // Written, when given, is told each parameter's id as soon as its write has been answered.
    void SetConfig(const std::function<void(uint8_t Id)>& Written = {});

private:
    CommPort::TCommPort& Comm;
    CommandFrame::Area RxBuf{}, TxBuf{}, Scratch{};

    uint8_t AddressByte() const { return static_cast<uint8_t>(Address); }
    // Frames Body (address, command, ...), exchanges it and judges the answer as the command's;
    // Parameter is the id of a GetParam or SetParam. On any failure sets State to 6 and Ok to
    // false and returns false. The answer's data is then CommandFrame::Data(RxBuf).
    bool Transact(std::initializer_list<uint8_t> Body, std::optional<uint8_t> Parameter = std::nullopt);
    bool Fail(uint8_t Command, std::optional<uint8_t> Parameter, const CommandFrame::TVerdict& Verdict);
};

} // namespace PtnLL
