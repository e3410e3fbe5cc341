#pragma once
// The face of the window's text. The layout was measured with an 8-point sans face 11 pixels high
// at 96 dpi with the metrics of the classic Windows sans faces (Arial's), so every caption fits its
// place only in such a face. One source file per platform says where it comes from.

#include <QString>

namespace WindowFont {

inline constexpr int kPixels = 11;

// The family to use, made available first where the system may lack it.
QString Family();

} // namespace WindowFont
