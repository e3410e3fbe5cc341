#pragma once
// What the application sets up before its first window: the classic Windows widget style, whose
// group boxes and frames match the window's layout, the font the layout was measured with, and
// Qt's own Russian texts for the standard dialogs.

#include <QApplication>

namespace ServiceApp {

// Qt's Russian translations, from its standard translations folder (Debian: qt6-translations-l10n).
inline constexpr const char* kQtTranslations = "qtbase_ru";

void Configure(QApplication& App);

} // namespace ServiceApp
