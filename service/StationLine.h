#pragma once
// The line of a station operation, which tries one speed after another: the port is opened
// exclusively, so the connection at one speed is closed before the next is opened, and the
// operation's line is back at the working speed once it is done.

#include <cstdint>
#include <optional>

#include "service/Connection.h"

namespace StationLine {

class TStationLine {
public:
    // Working: the port, the working speed and the settings of every opening; Tap, when given, is
    // told every transfer of every connection.
    TStationLine(Connection::TSettings Working, LineTap::TLineTap* Tap);

    // The line at Speed, reopened unless it is open there already; its commands keep the address
    // they have come to. Throws MyCOMM::ECommError as opening the port does.
    Connection::TConnection& Open(uint32_t Speed);
    // The line at the working speed again, its commands at Address.
    Connection::TConnection& Return(int32_t Address);

    // The connection open now; null before the first opening.
    Connection::TConnection* Current() { return connection ? &*connection : nullptr; }
    uint32_t WorkingSpeed() const { return working.Speed; }

private:
    Connection::TSettings working;
    LineTap::TLineTap* tap;
    uint32_t speed = 0; // of the connection open now
    std::optional<Connection::TConnection> connection;
};

} // namespace StationLine
