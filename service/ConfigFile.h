#pragma once
// The configuration file: one JSON object holding what the configuration page shows, with the
// decimals as the page counts them (not the controller's codes), plus the two read-only texts.

#include <optional>
#include <string>
#include <vector>

#include "protocol/PtnLL.h"
#include "service/ConfigPage.h"

namespace ConfigFile {

struct TConfig {
    ConfigPage::TPageValues Page;
    std::optional<std::string> SerialNumber, FirmwareVersion;
};

// The record as the page would show it, as a JSON object in the file's key order.
std::string Encode(const PtnLL::TCfgStruct& Cfg);

struct TDecoded {
    std::optional<TConfig> Config;
    std::string Problem; // when refused: "<key>: <why>", or why the text is no configuration at all
};

// Everything the window's page would refuse is refused here, before anything is sent.
TDecoded Decode(const std::string& Text);

// addr1 or addr2 when it is 0, the address query's own address: a controller given it answers
// no command afterwards. Null when neither is.
const char* ZeroAddressKey(const ConfigPage::TPageValues& Page);

struct TDifference {
    std::string Key, Wanted, Found;
};

// The page's fields where the record read back differs from what was written.
std::vector<TDifference> Compare(const ConfigPage::TPageValues& Written, const PtnLL::TCfgStruct& ReadBack);

} // namespace ConfigFile
