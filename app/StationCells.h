#pragma once
// What the station window's tables share: their look and the way they show a time.

#include <QString>
#include <span>
#include <string>

class QTableWidget;
class QWidget;

namespace StationCells {

// A UTC time as the journal and the copies hold it, in the engineer's local time.
QString Local(const std::string& Utc);

// A read-only table of whole rows, one chosen at a time, its columns as wide as their contents and
// the last one taking the rest.
QTableWidget* Table(QWidget* Parent, const char* Name, std::span<const char* const> Columns);

} // namespace StationCells
