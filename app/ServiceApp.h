#pragma once
// What the application sets up before its first window: the classic Windows widget style, whose
// group boxes and frames match the window's layout, the font the layout was measured with, and
// Qt's own Russian texts for the standard dialogs.

#include <QApplication>

namespace ServiceApp {

// The window's geometry was laid out for an 8-point sans face 11 pixels high at 96 dpi; Liberation
// Sans has the metrics of the classic Windows sans faces, so every caption fits its place.
inline constexpr const char* kFontFamily = "Liberation Sans";
inline constexpr int kFontPixels = 11;
// Qt's Russian translations, from its standard translations folder (Debian: qt6-translations-l10n).
inline constexpr const char* kQtTranslations = "qtbase_ru";

void Configure(QApplication& App);

} // namespace ServiceApp
