#include "tests/support/SimJson.h"

namespace SimJson {

Json FromOptions(const sim::Options& Options) {
    Json controllers = Json::array();
    for (const sim::Controller& c : Options.Controllers)
        controllers.push_back(
            {{"config", FromConfig(c.Config)}, {"line_speed", c.LineSpeed}, {"update_mode", c.UpdateMode}});
    return {{"address", Options.Address},
            {"update_mode", Options.UpdateMode},
            {"pace", Options.PaceBitsPerSecond},
            {"noise", {{"rate", Options.Noise.Rate}, {"seed", Options.Noise.Seed}}},
            {"controllers", controllers}};
}

sim::Options ToOptions(const Json& Object) {
    sim::Options options;
    options.Address = Object.at("address").get<uint8_t>();
    options.UpdateMode = Object.at("update_mode").get<bool>();
    options.PaceBitsPerSecond = Object.at("pace").get<uint32_t>();
    options.Noise = {.Rate = Object.at("noise").at("rate").get<double>(),
                     .Seed = Object.at("noise").at("seed").get<uint64_t>()};
    for (const Json& c : Object.at("controllers"))
        options.Controllers.push_back({.Config = ToConfig(c.at("config")),
                                       .LineSpeed = c.at("line_speed").get<uint32_t>(),
                                       .UpdateMode = c.at("update_mode").get<bool>()});
    return options;
}

Json FromConfig(const sim::ControllerConfig& Config) {
    return {{"addr1", Config.Addr1},
            {"addr2", Config.Addr2},
            {"no_fill1", Config.NoFillTO1},
            {"no_fill2", Config.NoFillTO2},
            {"no_master", Config.NoMaster},
            {"min_voltage", Config.MinVoltage},
            {"price_point", Config.PricePoint},
            {"amo_point", Config.AmoPoint},
            {"recalc", Config.Recalc},
            {"el_type", Config.ElType},
            {"fw_version", Config.FwVersion},
            {"serial_no", Config.SerialNo}};
}

sim::ControllerConfig ToConfig(const Json& Object) {
    sim::ControllerConfig config;
    config.Addr1 = Object.at("addr1").get<uint8_t>();
    config.Addr2 = Object.at("addr2").get<uint8_t>();
    config.NoFillTO1 = Object.at("no_fill1").get<uint8_t>();
    config.NoFillTO2 = Object.at("no_fill2").get<uint8_t>();
    config.NoMaster = Object.at("no_master").get<uint8_t>();
    config.MinVoltage = Object.at("min_voltage").get<uint8_t>();
    config.PricePoint = Object.at("price_point").get<uint8_t>();
    config.AmoPoint = Object.at("amo_point").get<uint8_t>();
    config.Recalc = Object.at("recalc").get<bool>();
    config.ElType = Object.at("el_type").get<bool>();
    config.FwVersion = Object.at("fw_version").get<std::string>();
    config.SerialNo = Object.at("serial_no").get<std::string>();
    return config;
}

Json FromRule(const sim::Rule& Rule) {
    return {{"first", Rule.First},
            {"last", Rule.Last},
            {"fault", static_cast<int>(Rule.fault)},
            {"delay_ms", Rule.DelayMs},
            {"split_after", Rule.SplitAfter},
            {"split_pause_ms", Rule.SplitPauseMs},
            {"stray_before", Rule.StrayBefore}};
}

sim::Rule ToRule(const Json& Object) {
    sim::Rule rule;
    rule.First = Object.at("first").get<int>();
    rule.Last = Object.at("last").get<int>();
    rule.fault = static_cast<sim::Fault>(Object.at("fault").get<int>());
    rule.DelayMs = Object.at("delay_ms").get<int>();
    rule.SplitAfter = Object.at("split_after").get<int>();
    rule.SplitPauseMs = Object.at("split_pause_ms").get<int>();
    rule.StrayBefore = Object.at("stray_before").get<std::vector<uint8_t>>();
    return rule;
}

Json FromPollReply(const sim::PollReply& Reply) {
    return {{"eot", Reply.Eot},
            {"tx", Reply.Tx},
            {"transactions", Reply.Transactions},
            {"bad_crc", Reply.BadCrc}};
}

sim::PollReply ToPollReply(const Json& Object) {
    sim::PollReply reply;
    reply.Eot = Object.at("eot").get<bool>();
    reply.Tx = Object.at("tx").get<uint8_t>();
    reply.Transactions = Object.at("transactions").get<std::vector<uint8_t>>();
    reply.BadCrc = Object.at("bad_crc").get<bool>();
    return reply;
}

Json FromImage(const sim::ReceivedImage& Image) {
    return {{"started", Image.Started},
            {"value32", Image.Value32},
            {"value16", Image.Value16},
            {"body", Image.Body},
            {"block_sizes", Image.BlockSizes}};
}

sim::ReceivedImage ToImage(const Json& Object) {
    sim::ReceivedImage image;
    image.Started = Object.at("started").get<bool>();
    image.Value32 = Object.at("value32").get<uint32_t>();
    image.Value16 = Object.at("value16").get<uint16_t>();
    image.Body = Object.at("body").get<std::vector<uint8_t>>();
    image.BlockSizes = Object.at("block_sizes").get<std::vector<size_t>>();
    return image;
}

} // namespace SimJson
