#include "app/WindowFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace WindowFont {

// Windows has Arial. Where it is missing (Wine, whose fonts differ, or the offscreen platform, which
// sees no system font at all), the program's own copy of Liberation Sans, with Arial's metrics,
// stands in.
QString Family() {
    const QString arial = QStringLiteral("Arial");
    if (QFontDatabase::families().contains(arial)) {
        return arial;
    }
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSans-Regular.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? arial : families.constFirst();
}

} // namespace WindowFont
