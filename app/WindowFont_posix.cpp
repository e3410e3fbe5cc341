#include "app/WindowFont.h"

namespace WindowFont {

// Liberation Sans has Arial's metrics; the Debian package depends on it.
QString Family() {
    return QStringLiteral("Liberation Sans");
}

} // namespace WindowFont
