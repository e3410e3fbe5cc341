#include "app/ServiceApp.h"

#include <QFont>
#include <QStyleFactory>

namespace ServiceApp {

void Configure(QApplication& App) {
    App.setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPixelSize(kFontPixels);
    App.setFont(font);
}

} // namespace ServiceApp
