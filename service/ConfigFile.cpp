#include "service/ConfigFile.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "service/Texts.h"

namespace ConfigFile {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kHighestAddress = 254; // the address boxes' maximum
constexpr int kHighestByte = 255;
constexpr int kMostDecimals = 2;
constexpr const char* kSerialNumberKey = "serial_number";
constexpr const char* kFirmwareVersionKey = "firmware_version";

// The page's number fields, in the file's order, with the range of their boxes.
struct TNumberField {
    const char* Key;
    int ConfigPage::TPageValues::*Field;
    int Highest;
};
constexpr std::array kNumbers{
    TNumberField{"addr1", &ConfigPage::TPageValues::Addr1, kHighestAddress},
    TNumberField{"addr2", &ConfigPage::TPageValues::Addr2, kHighestAddress},
    TNumberField{"no_fill_timeout1", &ConfigPage::TPageValues::NoFillTO1, kHighestByte},
    TNumberField{"no_fill_timeout2", &ConfigPage::TPageValues::NoFillTO2, kHighestByte},
    TNumberField{"no_master_timeout", &ConfigPage::TPageValues::NoMaster, kHighestByte},
    TNumberField{"min_voltage", &ConfigPage::TPageValues::MinVoltage, kHighestByte},
    TNumberField{"price_decimals", &ConfigPage::TPageValues::Price, kMostDecimals},
    TNumberField{"amount_decimals", &ConfigPage::TPageValues::AmoPoint, kMostDecimals},
};
constexpr const char* kRecalcKey = "recalc";
constexpr const char* kElectronicsKey = "electronics";

bool Known(const std::string& Key) {
    return Key == kRecalcKey || Key == kElectronicsKey || Key == kSerialNumberKey ||
           Key == kFirmwareVersionKey ||
           std::any_of(kNumbers.begin(), kNumbers.end(), [&](const TNumberField& f) { return Key == f.Key; });
}

// The page's values, each brought into its box's range as the page does when it shows them.
ConfigPage::TPageValues Shown(const PtnLL::TCfgStruct& Cfg) {
    ConfigPage::TPageValues page = ConfigPage::PageFromRecord(Cfg);
    for (const TNumberField& f : kNumbers)
        page.*f.Field = std::clamp(page.*f.Field, 0, f.Highest);
    return page;
}

Json PageObject(const ConfigPage::TPageValues& Page) {
    Json object = Json::object();
    for (const TNumberField& f : kNumbers)
        object[f.Key] = Page.*f.Field;
    object[kRecalcKey] = Page.Recalc;
    object[kElectronicsKey] = ConfigPage::kElectronics[Page.ElTypeItem == 0 ? 0 : 1];
    return object;
}

TDecoded Refuse(const std::string& Problem) {
    TDecoded refused;
    refused.Problem = Problem;
    return refused;
}

} // namespace

std::string Encode(const PtnLL::TCfgStruct& Cfg) {
    Json object = PageObject(Shown(Cfg));
    object[kSerialNumberKey] = Cfg.SerialNo;
    object[kFirmwareVersionKey] = Cfg.FwVersion;
    return object.dump(2);
}

TDecoded Decode(const std::string& Text) {
    Json object;
    // The parser keeps the last of two equal keys; a file that has them is refused instead.
    std::set<std::string> seen;
    std::optional<std::string> repeated;
    const Json::parser_callback_t firstRepeat = [&](int Depth, Json::parse_event_t Event, Json& Parsed) {
        if (Event == Json::parse_event_t::key && Depth == 1 &&
            !seen.insert(Parsed.get<std::string>()).second && !repeated)
            repeated = Parsed.get<std::string>();
        return true;
    };
    try {
        object = Json::parse(Text, firstRepeat);
    } catch (const Json::parse_error& e) {
        return Refuse(Texts::kNotJson + std::to_string(e.byte));
    }
    if (repeated)
        return Refuse(*repeated + ": " + Texts::kDuplicateKey);
    if (!object.is_object())
        return Refuse(Texts::kNotAnObject);
    for (const auto& [key, value] : object.items()) {
        if (!Known(key))
            return Refuse(key + ": " + Texts::kUnknownKey);
    }
    TConfig config;
    for (const TNumberField& f : kNumbers) {
        if (!object.contains(f.Key))
            return Refuse(std::string(f.Key) + ": " + Texts::kMissingKey);
        const Json& value = object[f.Key];
        if (!value.is_number_integer())
            return Refuse(std::string(f.Key) + ": " + Texts::kNotWhole + value.dump());
        const auto number = value.get<int64_t>();
        if (number < 0 || number > f.Highest)
            return Refuse(std::string(f.Key) + ": " + value.dump() + Texts::kOutOfRange +
                          std::to_string(f.Highest));
        config.Page.*f.Field = static_cast<int>(number);
    }
    if (!object.contains(kRecalcKey))
        return Refuse(std::string(kRecalcKey) + ": " + Texts::kMissingKey);
    if (!object[kRecalcKey].is_boolean())
        return Refuse(std::string(kRecalcKey) + ": " + Texts::kNotBoolean + object[kRecalcKey].dump());
    config.Page.Recalc = object[kRecalcKey].get<bool>();
    if (!object.contains(kElectronicsKey))
        return Refuse(std::string(kElectronicsKey) + ": " + Texts::kMissingKey);
    const Json& electronics = object[kElectronicsKey];
    if (electronics == ConfigPage::kElectronics[0])
        config.Page.ElTypeItem = 0;
    else if (electronics == ConfigPage::kElectronics[1])
        config.Page.ElTypeItem = 1;
    else
        return Refuse(std::string(kElectronicsKey) + ": " +
                      Texts::NotOneOf(ConfigPage::kElectronics[0], ConfigPage::kElectronics[1]) +
                      electronics.dump());
    for (const char* key : {kSerialNumberKey, kFirmwareVersionKey}) {
        if (!object.contains(key))
            continue;
        if (!object[key].is_string())
            return Refuse(std::string(key) + ": " + Texts::kNotText + object[key].dump());
        (key == kSerialNumberKey ? config.SerialNumber : config.FirmwareVersion) =
            object[key].get<std::string>();
    }
    if (config.Page.Addr1 == config.Page.Addr2)
        return Refuse(std::string("addr1, addr2: ") + Texts::kAddressesMustDiffer);
    TDecoded accepted;
    accepted.Config = config;
    return accepted;
}

const char* ZeroAddressKey(const ConfigPage::TPageValues& Page) {
    // The two addresses lead the table.
    const auto zero = std::find_if(kNumbers.begin(), kNumbers.begin() + 2,
                                   [&](const TNumberField& f) { return Page.*f.Field == 0; });
    return zero == kNumbers.begin() + 2 ? nullptr : zero->Key;
}

std::vector<TDifference> Compare(const ConfigPage::TPageValues& Written, const PtnLL::TCfgStruct& ReadBack) {
    const Json wanted = PageObject(Written);
    const Json found = PageObject(Shown(ReadBack));
    std::vector<TDifference> differences;
    for (const auto& [key, value] : wanted.items()) {
        if (found[key] != value)
            differences.push_back({key, value.dump(), found[key].dump()});
    }
    return differences;
}

} // namespace ConfigFile
