// Several simulated controllers on one line, as on a station, seen through the tool's own command
// protocol on a port set to the tool's speed: who answers where, and what an address query meets.

#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "sim/SimFrames.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

sim::Controller At(uint8_t addr1, uint8_t addr2, const char* serial, uint32_t lineSpeed = 0) {
    sim::Controller controller;
    controller.Config.Addr1 = addr1;
    controller.Config.Addr2 = addr2;
    controller.Config.SerialNo = serial;
    controller.LineSpeed = lineSpeed;
    return controller;
}

// The first controller understands any speed, the second only 14400 bit/s (a speed termios has no
// constant for).
struct Station {
    explicit Station(uint32_t speed) : port(simulator.PortPath(), speed, 256, 256, 2, 1, 0, 8) {
        port.SetTimeouts(25, 0, 500, 1, 200);
    }
    static sim::Options Controllers() {
        sim::Options options;
        options.Controllers = {At(1, 2, "1111111111"), At(3, 4, "2222222222", 14400)};
        return options;
    }
    Bytes Exchange(const Bytes& frame) {
        Bytes reply(256);
        EXPECT_FALSE(port.WriteAll(frame.data(), static_cast<int>(frame.size())));
        reply.resize(static_cast<size_t>(port.Read(reply.data(), static_cast<int>(reply.size()))));
        return reply;
    }

    sim::Simulator simulator{Controllers()};
    MyCOMM::TZMyComm port;
};

constexpr int kNobody = -1, kSeveral = -2;

struct StationCase {
    const char* name;
    int address;    // 0: the address query
    uint32_t speed; // the tool's port
    int answeredBy; // the index of the controller whose answer the tool takes, kNobody or kSeveral
};

class StationTest : public ::testing::TestWithParam<StationCase> {};

TEST_P(StationTest, EachControllerAnswersAtItsSidesAndItsSpeed) {
    Station station(GetParam().speed);
    PtnLL::TPtnLL commands(GetParam().address, station.port);
    const int by = GetParam().answeredBy;
    const sim::ControllerConfig config = station.simulator.Config(std::max(by, 0));
    if (GetParam().address == 0) {
        uint8_t first = 0, second = 0;
        commands.GetAddresses(first, second);
        if (by >= 0) {
            EXPECT_EQ(first, config.Addr1);
            EXPECT_EQ(second, config.Addr2);
        }
    } else {
        commands.GetParam(101);
        EXPECT_EQ(commands.Cfg.SerialNo, by >= 0 ? config.SerialNo : "");
    }
    EXPECT_EQ(commands.Ok, by >= 0);
    // A collision is bytes on the line, not silence.
    EXPECT_EQ(station.simulator.Timings().at(0).AnswerSent.has_value(), by != kNobody);
}

INSTANTIATE_TEST_SUITE_P(Station, StationTest,
                         ::testing::Values(StationCase{"QueryHeardByOne", 0, 9600, 0},
                                           StationCase{"QueryHeardByTwo", 0, 14400, kSeveral},
                                           StationCase{"FirstSide1", 1, 9600, 0},
                                           StationCase{"FirstSide2", 2, 14400, 0},
                                           StationCase{"SecondAtAnotherSpeed", 3, 9600, kNobody},
                                           StationCase{"SecondSide1", 3, 14400, 1},
                                           StationCase{"SecondSide2", 4, 14400, 1},
                                           StationCase{"NobodysAddress", 5, 14400, kNobody}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(StationUpdateTest, OnlyTheControllerAskedGoesIntoUpdateModeAndAnswersTheLink) {
    Station station(14400);
    PtnLL::TPtnLL commands(4, station.port);
    commands.Cfg.Addr2 = 9;
    commands.SetParam(2);
    ASSERT_TRUE(commands.Ok);
    commands.Cfg.SerialNo = "2222222222";
    commands.EnterUpdateMode();
    EXPECT_FALSE(commands.Ok); // side 2 has moved to 9
    commands.Address = 9;
    commands.EnterUpdateMode();
    ASSERT_TRUE(commands.Ok);
    EXPECT_FALSE(station.simulator.InUpdateMode(0));
    EXPECT_TRUE(station.simulator.InUpdateMode(1));

    // One NAK to the probe, not two interleaved; then the update goes to that controller alone.
    EXPECT_EQ(station.Exchange(SimFrames::LinkData(0xFF, 0x31, Bytes{0x80, 0x01, 0x00})),
              (Bytes{0xFF, 0x51, 0xFA}));
    EXPECT_EQ(station.Exchange(SimFrames::LinkData(0xFF, 0x32, Bytes{0xB6, 0x08, 2, 0, 0, 0, 0, 0, 0, 0})),
              (Bytes{0xFF, 0xC2, 0xFA}));
    EXPECT_EQ(station.Exchange(SimFrames::LinkData(0xFF, 0x33, Bytes{0xC7, 0x02, 0xAB, 0xCD})),
              (Bytes{0xFF, 0xC3, 0xFA}));
    EXPECT_EQ(station.simulator.Image(1).Body, (Bytes{0xAB, 0xCD}));
    EXPECT_FALSE(station.simulator.Image(0).Started);
}

} // namespace
