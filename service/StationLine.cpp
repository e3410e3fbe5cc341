#include "service/StationLine.h"

#include <utility>

#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"

namespace StationLine {

TStationLine::TStationLine(Connection::TSettings Working, LineTap::TLineTap* Tap)
    : working(std::move(Working)), tap(Tap) {}

Connection::TConnection& TStationLine::Open(uint32_t Speed) {
    if (connection && speed == Speed)
        return *connection;
    Connection::TSettings settings = working;
    settings.Speed = Speed;
    if (connection)
        settings.Address = connection->Commands().Address;
    connection.reset();
    connection.emplace(settings, tap);
    speed = Speed;
    return *connection;
}

Connection::TConnection& TStationLine::Return(int32_t Address) {
    Connection::TConnection& line = Open(working.Speed);
    line.Commands().Address = Address;
    return line;
}

} // namespace StationLine
