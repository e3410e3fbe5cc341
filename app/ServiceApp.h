#pragma once
// What the application sets up before its first window: the classic Windows widget style, whose
// group boxes and frames match the window's layout, and the font the layout was measured with.

#include <QApplication>

namespace ServiceApp {

// The window's geometry was laid out for an 8-point sans face 11 pixels high at 96 dpi; Liberation
// Sans has the metrics of the classic Windows sans faces, so every caption fits its place.
inline constexpr const char* kFontFamily = "Liberation Sans";
inline constexpr int kFontPixels = 11;

void Configure(QApplication& App);

} // namespace ServiceApp
