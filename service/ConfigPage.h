#pragma once
// The window-independent rules of the configuration page and the address query: how the record
// and the page map onto each other, when a write counts as done, and the texts built for the user.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/PtnLL.h"
#include "service/Outcome.h"

namespace Safeguard {
class TChange;
}

namespace ConfigPage {

// The page's values as its controls hold them.
struct TPageValues {
    int Addr1 = 1, Addr2 = 2, NoFillTO1 = 0, NoFillTO2 = 0, Price = 2, NoMaster = 0, MinVoltage = 50,
        AmoPoint = 2;
    bool Recalc = false;
    int ElTypeItem = 0; // the item of kElectronics
};

// The electronics types as the type box lists them.
inline constexpr const char* kElectronics[] = {"QV1", "QV2"};
// The type the page shows for the record.
const char* ElectronicsName(const PtnLL::TCfgStruct& Cfg);

// The controller's decimals code (0 two decimals, 2 none) and the count the page shows; a code of
// 3 or more shows as 2, the spin box's maximum.
int DecimalsShown(uint8_t Code);
uint8_t DecimalsCode(int Shown);

TPageValues PageFromRecord(const PtnLL::TCfgStruct& Cfg);
// Stores the page into the record; the texts of the record are left alone.
void RecordFromPage(const TPageValues& Page, PtnLL::TCfgStruct& Cfg);

// The two lines of Memo1 after a successful read.
std::vector<std::string> MemoLines(const PtnLL::TCfgStruct& Cfg);

// The failure texts built from the Errors word, with their last ", " or ": " turned into ".".
std::string ReadFailureMessage(uint32_t Errors);
std::string WriteFailureMessage(uint32_t Errors);
// A write answered from another address after the address change counts as done.
bool WriteSucceeded(bool Ok, uint32_t Errors);

std::string AddressesQuestion(uint8_t First, uint8_t Second);

// "Сохранить настройки" once the page passed its checks: first Change's safety copy of Held, what
// the controller holds as far as this connection knows; only then the write of Page onto the record
// the protocol object holds. Held takes every parameter the write got through, and Change journals
// how it ended. None when the copy could not be saved: nothing was sent.
std::optional<Outcome::TWriteOutcome> SaveConfiguration(PtnLL::TPtnLL& Commands, const TPageValues& Page,
                                                        PtnLL::TCfgStruct& Held, Safeguard::TChange& Change);

} // namespace ConfigPage
