#include "service/ConfigPage.h"

#include <algorithm>

#include "service/Journal.h"
#include "service/Operations.h"
#include "service/Safeguard.h"
#include "service/Texts.h"

namespace ConfigPage {
namespace {

constexpr uint8_t kTwoDecimals = 0; // the controller's code for two decimals
constexpr uint8_t kNoDecimals = 2;  // and for none
constexpr int kMostDecimals = 2;    // the spin boxes' maximum

constexpr uint32_t kAnswerError = 0x04;
constexpr uint32_t kWrongAddress = 0x10;

template <size_t N>
std::string BuildMessage(std::string Message, uint32_t Errors, const Texts::TFlagText (&FlagTexts)[N]) {
    const size_t bare = Message.size();
    for (const auto& [bit, text] : FlagTexts) {
        if (Errors & bit) {
            Message += text;
        }
    }
    if (Message.size() > bare) {
        // Every appended text ends in ", " or ": ": the blank goes and the comma or colon becomes a stop.
        Message.pop_back();
        Message.back() = '.';
    }
    return Message;
}

} // namespace

int DecimalsShown(uint8_t Code) {
    if (Code == kTwoDecimals) {
        return kMostDecimals;
    }
    if (Code == kNoDecimals) {
        return 0;
    }
    return std::min<int>(Code, kMostDecimals);
}

uint8_t DecimalsCode(int Shown) {
    if (Shown == kMostDecimals) {
        return kTwoDecimals;
    }
    if (Shown == 0) {
        return kNoDecimals;
    }
    return static_cast<uint8_t>(Shown);
}

const char* ElectronicsName(const PtnLL::TCfgStruct& Cfg) {
    return kElectronics[PageFromRecord(Cfg).ElTypeItem == 0 ? 0 : 1];
}

TPageValues PageFromRecord(const PtnLL::TCfgStruct& Cfg) {
    TPageValues page;
    page.Addr1 = Cfg.Addr1;
    page.Addr2 = Cfg.Addr2;
    page.NoFillTO1 = Cfg.NoFillTO1;
    page.NoFillTO2 = Cfg.NoFillTO2;
    page.Price = DecimalsShown(Cfg.PricePoint);
    page.NoMaster = Cfg.NoMaster;
    page.MinVoltage = Cfg.MinVoltage;
    page.AmoPoint = DecimalsShown(Cfg.AmoPoint);
    page.Recalc = Cfg.Recalc;
    page.ElTypeItem = Cfg.ElType ? 0 : 1;
    return page;
}

void RecordFromPage(const TPageValues& Page, PtnLL::TCfgStruct& Cfg) {
    Cfg.Addr1 = static_cast<uint8_t>(Page.Addr1);
    Cfg.NoFillTO1 = static_cast<uint8_t>(Page.NoFillTO1);
    Cfg.Addr2 = static_cast<uint8_t>(Page.Addr2);
    Cfg.NoFillTO2 = static_cast<uint8_t>(Page.NoFillTO2);
    Cfg.MinVoltage = static_cast<uint8_t>(Page.MinVoltage);
    Cfg.NoMaster = static_cast<uint8_t>(Page.NoMaster);
    Cfg.PricePoint = DecimalsCode(Page.Price);
    Cfg.AmoPoint = DecimalsCode(Page.AmoPoint);
    Cfg.Recalc = Page.Recalc;
    Cfg.ElType = Page.ElTypeItem == 0;
}

std::vector<std::string> MemoLines(const PtnLL::TCfgStruct& Cfg) {
    return {Texts::kFirmwareVersion + Cfg.FwVersion, Texts::kSerialNumber + Cfg.SerialNo};
}

std::string ReadFailureMessage(uint32_t Errors) {
    return BuildMessage(Texts::kReadFailed, Errors, Texts::kReadFlagTexts);
}

std::string WriteFailureMessage(uint32_t Errors) {
    return BuildMessage(Texts::kWriteFailed, Errors, Texts::kWriteFlagTexts);
}

bool WriteSucceeded(bool Ok, uint32_t Errors) {
    return Ok || ((Errors & kAnswerError) && (Errors & kWrongAddress));
}

std::string AddressesQuestion(uint8_t First, uint8_t Second) {
    return Texts::kAddressesReceived + std::to_string(First) + " " + std::to_string(Second) +
           Texts::kApplyAddresses;
}

std::optional<Outcome::TWriteOutcome> SaveConfiguration(PtnLL::TPtnLL& Commands, const TPageValues& Page,
                                                        PtnLL::TCfgStruct& Held, Safeguard::TChange& Change) {
    if (!Change.Save(Held)) {
        Change.Ended(Journal::kBackupFailed);
        Change.Record();
        return std::nullopt;
    }
    PtnLL::TCfgStruct record = Commands.Cfg;
    RecordFromPage(Page, record);
    Outcome::TWriteOutcome written = Operations::WriteConfiguration(Commands, record, Observer::Quiet());
    for (const Outcome::TWritten& parameter : written.Written)
        PtnLL::CopyParameter(parameter.Id, record, Held);
    Change.Ended(Journal::Word(written.Result),
                 written.Succeeded() ? std::vector<std::string>{} : Safeguard::WrittenNames(written.Written));
    Change.Record();
    return written;
}

} // namespace ConfigPage
