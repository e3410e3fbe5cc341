#include "app/ServiceApp.h"

#include <QFont>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

#include "app/WindowFont.h"

namespace ServiceApp {

void Configure(QApplication& App) {
    App.setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    QFont font(WindowFont::Family());
    font.setPixelSize(WindowFont::kPixels);
    App.setFont(font);
    // The tool speaks Russian whatever the system's language, so Qt's own texts (the file dialog's
    // captions and buttons) do too. Without the translations they stay English.
    auto* qtTexts = new QTranslator(&App);
    if (qtTexts->load(QString::fromLatin1(kQtTranslations),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        App.installTranslator(qtTexts);
    }
}

} // namespace ServiceApp
