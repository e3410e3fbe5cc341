// How the tool behaves when the line misbehaves: every operation the engineer can start, against
// every fault the line can bring, on a pseudo-terminal with the simulated controller on the other
// side. Each row says what the engineer sees. Every row also checks that the operation stayed
// within what the line time-outs and repeat counts allow, that nothing was reported as a success,
// and that the connection can then be closed, reopened and used for a clean read.
//
// A fault starts at the operation's aimed exchange and lasts to the end of the operation, so every
// repeat the tool makes meets it too. Which pairs make no sense:
//
//   fault                         command operations      link operations (update start, block)
//   NAK, EOT, ACK with another TX  n/a: no such frames     applies
//   wrong checksum                 applies                 n/a: an ACK carries no checksum, and the
//                                                          update never polls for a DATA reply
//   wrong echo, wrong length,      applies                 n/a: fields of the command frame only
//   bad trailer
//   everything else                applies                 applies
#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/app_wait.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"
#include "tests/support/TempFile.h"
#include "tests/support/WindowFixture.h"

namespace {

using WindowFixture::TBox;
using Clock = std::chrono::steady_clock;

// The line time-outs the window sets when it opens the port.
constexpr int kReadLimitMs = 500;
constexpr int kWriteLimitMs = 200 + 64; // 200 ms plus 1 ms a byte; no frame here is longer than 64
constexpr int kExchangeLimitMs = kReadLimitMs + kWriteLimitMs;
constexpr int kModeSwitchPauseMs = 1000; // between preparation and the update start
// Scheduling, the sanitizers and the window's own work.
constexpr int kMarginMs = 1500;

// Repeat counts: a read is up to 6 runs of 12 exchanges, a write one run of 10; the firmware update
// is a probe, a read, up to 16 enter-update-mode and 16 update-start attempts, then the blocks.
constexpr int kReadExchanges = 6 * 12;
constexpr int kWriteExchanges = 10;
constexpr int kBlocks = 10;
constexpr int kBlockBytes = 33;
constexpr int kUpdateExchanges = 1 + kReadExchanges + 16 + 16 + kBlocks;

// Longer than the 500 ms a read waits, and than the 25 ms gap that ends a read.
constexpr int kLateMs = 700;
constexpr int kGapMs = 100;

const TBox kReadFailed{"Неудалось получить конфигурацию. ", "ОШИБКА", 0};
const TBox kReadDone{"Конфигурация успешно получена", "СООБЩЕНИЕ", 0};
const TBox kWriteFailed{"Неудалось сохранить конфигурацию. ", "ОШИБКА", 0};
const TBox kWriteDone{"Конфигурация успешно сохранена!", "СООБЩЕНИЕ", 0};
const TBox kSingleDispenser{
    "Данная команда работает только если к линии подключен ОДНА ТРК! Выполнить команду?", "ВОПРОС", 1};
const TBox kNoAddresses{"Неудалось получить адреса!", "ОШИБКА", 0};
const TBox kNoUpdateMode{"Не удалось войти в режим обновнения.", "СООБЩЕНИЕ", 0};
const TBox kUpdateFailed{"Неудалось обновить микрокод.", "СООБЩЕНИЕ", 0};
const TBox kUpdateDone{"Микрокод успешно обновлен.", "СООБЩЕНИЕ", 0};

enum class Operation { ReadConfig, WriteConfig, AddressQuery, Preparation, UpdateStart, MiddleBlock };

struct TOperation {
    const char* Name;
    // The exchange the fault starts at, counted from the first one the operation makes.
    int AimedExchange;
    int MaxExchanges;
    bool ControllerInUpdateMode; // the probe finds update mode: no preparation
    int PausesMs;
};

TOperation Describe(Operation Op) {
    switch (Op) {
    case Operation::ReadConfig: // parameter 5 of the first run: 4 exchanges go through
        return {"ReadConfig", 5, kReadExchanges, false, 0};
    case Operation::WriteConfig: // the 4th parameter written (id 6), whose answer's address counts
        return {"WriteConfig", 4, kWriteExchanges, false, 0};
    case Operation::AddressQuery:
        return {"AddressQuery", 1, 1, false, 0};
    case Operation::Preparation: // probe, 12 parameters, then the first enter-update-mode command
        return {"Preparation", 14, kUpdateExchanges, false, kModeSwitchPauseMs};
    case Operation::UpdateStart: // after the probe
        return {"UpdateStart", 2, kUpdateExchanges, true, kModeSwitchPauseMs};
    case Operation::MiddleBlock: // probe, update start, then block 5 of 10
        return {"MiddleBlock", 7, kUpdateExchanges, true, kModeSwitchPauseMs};
    }
    return {};
}

struct TFault {
    const char* Name;
    sim::Rule Rule; // First and Last are set by the row's operation
};

TFault Fault(const char* Name, sim::Fault Kind) {
    sim::Rule rule;
    rule.fault = Kind;
    return {Name, rule};
}

TFault Silence() {
    return Fault("Silence", sim::Fault::Silent);
}
TFault LateAnswer() {
    TFault late = Fault("LateAnswer", sim::Fault::None);
    late.Rule.DelayMs = kLateMs;
    return late;
}
TFault SplitAnswer() { // one byte, then a pause longer than the read interval
    TFault split = Fault("SplitAnswer", sim::Fault::None);
    split.Rule.SplitAfter = 1;
    split.Rule.SplitPauseMs = kGapMs;
    return split;
}
TFault StrayBytes() {
    TFault stray = Fault("StrayBytes", sim::Fault::None);
    stray.Rule.StrayBefore = {0x00, 0x55};
    return stray;
}
TFault WrongChecksum() {
    return Fault("WrongChecksum", sim::Fault::WrongChecksum);
}
TFault WrongAddress() {
    return Fault("WrongAddress", sim::Fault::WrongAddress);
}
TFault WrongEcho() {
    return Fault("WrongEcho", sim::Fault::WrongEcho);
}
TFault WrongLength() {
    return Fault("WrongLength", sim::Fault::WrongLength);
}
TFault BadTrailer() {
    return Fault("BadTrailer", sim::Fault::BadTrailer);
}
TFault Truncated() {
    return Fault("Truncated", sim::Fault::Truncated);
}
TFault Nak() {
    return Fault("Nak", sim::Fault::Nak);
}
TFault Eot() {
    return Fault("Eot", sim::Fault::Eot);
}
TFault AckOtherTx() {
    return Fault("AckOtherTx", sim::Fault::AckOtherTx);
}
TFault Oversize() { // 300 bytes in one burst
    return Fault("Oversize", sim::Fault::Oversize);
}
TFault AdapterRemoved() {
    return Fault("AdapterRemoved", sim::Fault::CloseLine);
}

struct TRow {
    Operation Op;
    TFault Fault;
    std::vector<TBox> Sees; // every box, in order
};

// clang-format off
const TRow kRows[] = {
    // operation                  fault            what the engineer sees
    {Operation::ReadConfig,   Silence(),        {kReadFailed}},
    {Operation::ReadConfig,   LateAnswer(),     {kReadFailed}}, // stale answers pass, the next exchange times out
    {Operation::ReadConfig,   SplitAnswer(),    {kReadFailed}},
    {Operation::ReadConfig,   StrayBytes(),     {kReadFailed}},
    {Operation::ReadConfig,   WrongChecksum(),  {kReadFailed}},
    {Operation::ReadConfig,   WrongAddress(),   {kReadFailed}},
    {Operation::ReadConfig,   WrongEcho(),      {kReadFailed}},
    {Operation::ReadConfig,   WrongLength(),    {kReadFailed}}, // valid checksum; the length byte overruns the data
    {Operation::ReadConfig,   BadTrailer(),     {kReadFailed}},
    {Operation::ReadConfig,   Truncated(),      {kReadFailed}},
    {Operation::ReadConfig,   Oversize(),       {kReadFailed}},
    {Operation::ReadConfig,   AdapterRemoved(), {kReadFailed}},

    {Operation::WriteConfig,  Silence(),        {kWriteFailed}},
    {Operation::WriteConfig,  LateAnswer(),     {kWriteFailed}},
    {Operation::WriteConfig,  SplitAnswer(),    {kWriteFailed}},
    {Operation::WriteConfig,  StrayBytes(),     {kWriteFailed}},
    {Operation::WriteConfig,  WrongChecksum(),  {kWriteFailed}},
    {Operation::WriteConfig,  WrongAddress(),   {kWriteFailed}},
    {Operation::WriteConfig,  WrongEcho(),      {kWriteFailed}},
    {Operation::WriteConfig,  WrongLength(),    {kWriteFailed}},
    {Operation::WriteConfig,  BadTrailer(),     {kWriteFailed}},
    {Operation::WriteConfig,  Truncated(),      {kWriteFailed}},
    {Operation::WriteConfig,  Oversize(),       {kWriteFailed}},
    {Operation::WriteConfig,  AdapterRemoved(), {kWriteFailed}},

    {Operation::AddressQuery, Silence(),        {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, LateAnswer(),     {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, SplitAnswer(),    {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, StrayBytes(),     {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, WrongChecksum(),  {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, WrongAddress(),   {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, WrongEcho(),      {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, WrongLength(),    {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, BadTrailer(),     {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, Truncated(),      {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, Oversize(),       {kSingleDispenser, kNoAddresses}},
    {Operation::AddressQuery, AdapterRemoved(), {kSingleDispenser, kNoAddresses}},

    {Operation::Preparation,  Silence(),        {kNoUpdateMode}},
    // The late answer to the first attempt is taken by the second: the controller did enter update
    // mode. The update start then keeps meeting the answer to its previous attempt.
    {Operation::Preparation,  LateAnswer(),     {kUpdateFailed}},
    {Operation::Preparation,  SplitAnswer(),    {kNoUpdateMode}},
    {Operation::Preparation,  StrayBytes(),     {kNoUpdateMode}},
    {Operation::Preparation,  WrongChecksum(),  {kNoUpdateMode}},
    {Operation::Preparation,  WrongAddress(),   {kNoUpdateMode}},
    {Operation::Preparation,  WrongEcho(),      {kNoUpdateMode}},
    {Operation::Preparation,  WrongLength(),    {kNoUpdateMode}},
    {Operation::Preparation,  BadTrailer(),     {kNoUpdateMode}},
    {Operation::Preparation,  Truncated(),      {kNoUpdateMode}},
    {Operation::Preparation,  Oversize(),       {kNoUpdateMode}},
    {Operation::Preparation,  AdapterRemoved(), {kNoUpdateMode}},

    {Operation::UpdateStart,  Silence(),        {kUpdateFailed}},
    {Operation::UpdateStart,  LateAnswer(),     {kUpdateFailed}}, // each attempt meets the previous ACK
    {Operation::UpdateStart,  SplitAnswer(),    {kUpdateFailed}},
    {Operation::UpdateStart,  StrayBytes(),     {kUpdateFailed}},
    {Operation::UpdateStart,  WrongAddress(),   {kUpdateFailed}},
    {Operation::UpdateStart,  Truncated(),      {kUpdateFailed}},
    {Operation::UpdateStart,  Nak(),            {kUpdateFailed}},
    {Operation::UpdateStart,  Eot(),            {kUpdateFailed}},
    {Operation::UpdateStart,  AckOtherTx(),     {kUpdateFailed}},
    {Operation::UpdateStart,  Oversize(),       {kUpdateFailed}},
    {Operation::UpdateStart,  AdapterRemoved(), {kUpdateFailed}},

    {Operation::MiddleBlock,  Silence(),        {kUpdateFailed}},
    {Operation::MiddleBlock,  LateAnswer(),     {kUpdateFailed}},
    {Operation::MiddleBlock,  SplitAnswer(),    {kUpdateFailed}},
    {Operation::MiddleBlock,  StrayBytes(),     {kUpdateFailed}},
    {Operation::MiddleBlock,  WrongAddress(),   {kUpdateFailed}},
    {Operation::MiddleBlock,  Truncated(),      {kUpdateFailed}},
    {Operation::MiddleBlock,  Nak(),            {kUpdateFailed}},
    {Operation::MiddleBlock,  Eot(),            {kUpdateFailed}},
    {Operation::MiddleBlock,  AckOtherTx(),     {kUpdateFailed}},
    {Operation::MiddleBlock,  Oversize(),       {kUpdateFailed}},
    {Operation::MiddleBlock,  AdapterRemoved(), {kUpdateFailed}},
};
// clang-format on

void PrintTo(const TRow& Row, std::ostream* Out) {
    *Out << Describe(Row.Op).Name << " under " << Row.Fault.Name;
}

bool IsFirmware(Operation Op) {
    return Op == Operation::Preparation || Op == Operation::UpdateStart || Op == Operation::MiddleBlock;
}

class FaultMatrixTest : public WindowFixture::WindowTest, public testing::WithParamInterface<TRow> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Body = SimImage::PatternBody(kBlocks * kBlockBytes, 7);
        Image = std::make_unique<TempFile::TTempFile>(
            "faults-" + std::to_string(getpid()) + ".bin",
            SimImage::MakeImageFile(static_cast<uint32_t>(Body.size()), 0x1234, Body));
    }

    std::optional<sim::Options> SimOptions() const override {
        return Plugged(Describe(GetParam().Op).ControllerInUpdateMode);
    }

    sim::Options Plugged(bool UpdateMode) const {
        sim::Options options;
        options.UpdateMode = UpdateMode;
        options.LinkPath = Port.string();
        return options;
    }

    void Plug(bool UpdateMode) {
        Sim.reset();
        Sim = SimLine::Start(Plugged(UpdateMode));
    }

    void Open() {
        SetPort(Port.string());
        Click("bOpenClose");
        ASSERT_EQ(OpenCloseCaption(), "Закрыть");
    }

    // Brings the window to where the operation starts; the boxes so far are forgotten.
    void Prepare(Operation Op) {
        Open();
        if (Op == Operation::WriteConfig) {
            Click("bGetConfig");
            ASSERT_TRUE(Form->IsConfigRead());
        }
        if (IsFirmware(Op))
            Choose(QString::fromStdString(Image->Path()));
        Boxes->Boxes.clear();
    }

    void Start(Operation Op) {
        switch (Op) {
        case Operation::ReadConfig:
            return Click("bGetConfig");
        case Operation::WriteConfig:
            return Click("vSetConfig");
        case Operation::AddressQuery:
            return Click("Button10");
        case Operation::Preparation:
        case Operation::UpdateStart:
        case Operation::MiddleBlock:
            return Click("Button4");
        }
    }

    // A fixed port name, as an adapter that is plugged in again comes back under its name.
    const std::filesystem::path Port =
        std::filesystem::temp_directory_path() / ("zur-faults-" + std::to_string(getpid()));
    std::vector<uint8_t> Body;
    std::unique_ptr<TempFile::TTempFile> Image;
};

TEST_P(FaultMatrixTest, EngineerSeesTheFailureAndTheLineRecovers) {
    const TRow& row = GetParam();
    const TOperation op = Describe(row.Op);
    ASSERT_NO_FATAL_FAILURE(Prepare(row.Op));
    const int addressBefore = TrkAddr();

    const int before = Sim->ExchangeCount();
    sim::Rule rule = row.Fault.Rule;
    rule.First = before + op.AimedExchange;
    rule.Last = INT_MAX;
    Sim->AddRule(rule);

    const auto start = Clock::now();
    Start(row.Op);
    const auto elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    const int exchanges = Sim->ExchangeCount() - before;
    const bool unplugged = row.Fault.Rule.fault == sim::Fault::CloseLine;

    EXPECT_EQ(Boxes->Boxes, row.Sees);
    for (const TBox& success : {kReadDone, kWriteDone, kUpdateDone})
        EXPECT_EQ(std::count(Boxes->Boxes.begin(), Boxes->Boxes.end(), success), 0);
    const auto waitWindows = Form->findChildren<app_wait::TWaitForm*>();
    EXPECT_TRUE(std::none_of(waitWindows.begin(), waitWindows.end(),
                             [](const app_wait::TWaitForm* wait) { return wait->isVisible(); }));

    // Every exchange took at most a write and a read time-out; once the adapter is gone the
    // simulator counts nothing more, and each attempt ends with its failed write.
    EXPECT_GE(exchanges, op.AimedExchange);
    EXPECT_LE(exchanges, op.MaxExchanges);
    const int boundMs = exchanges * kExchangeLimitMs + (unplugged ? op.MaxExchanges * kWriteLimitMs : 0) +
                        op.PausesMs + kMarginMs;
    EXPECT_LE(elapsedMs, boundMs) << exchanges << " exchanges";

    switch (row.Op) {
    case Operation::ReadConfig:
        EXPECT_FALSE(Form->IsConfigRead());
        break;
    case Operation::AddressQuery:
        EXPECT_EQ(TrkAddr(), addressBefore);
        break;
    case Operation::MiddleBlock: {
        // Four blocks went through; the fifth is never repeated and nothing follows it.
        EXPECT_EQ(exchanges, op.AimedExchange);
        const sim::ReceivedImage image = Sim->Image();
        EXPECT_LT(image.Body.size(), Body.size());
        EXPECT_GE(image.Body.size(), 4u * kBlockBytes);
        EXPECT_TRUE(std::equal(image.Body.begin(), image.Body.end(), Body.begin()));
        EXPECT_EQ(Form->FirmwareState().TransferPos, 6);
        break;
    }
    default:
        break;
    }

    // Close, plug the adapter back in if it was pulled, reopen and read cleanly.
    Sim->ClearRules();
    Click("bOpenClose");
    ASSERT_EQ(OpenCloseCaption(), "Открыть");
    if (unplugged)
        Plug(false);
    ASSERT_NO_FATAL_FAILURE(Open());
    Boxes->Boxes.clear();
    Click("bGetConfig");
    EXPECT_EQ(Boxes->Boxes, std::vector<TBox>{kReadDone});
    EXPECT_TRUE(Form->IsConfigRead());
    Click("bOpenClose");
}

std::string RowName(const testing::TestParamInfo<TRow>& Info) {
    return std::string(Describe(Info.param.Op).Name) + "_" + Info.param.Fault.Name;
}

INSTANTIATE_TEST_SUITE_P(Line, FaultMatrixTest, testing::ValuesIn(kRows), RowName);

} // namespace
