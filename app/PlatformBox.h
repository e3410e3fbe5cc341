#pragma once
// The platform's own modal box behind ReportBox: Qt's message box on Linux, MessageBoxW and
// MessageBoxA on Windows. One source file per platform.

#include <string>

class QWidget;

namespace PlatformBox {

constexpr int kRightToLeftReading = 0x00100000; // MB_RTLREADING: the box reads right to left

// The whole routine: owner, monitor, the other windows disabled and restored, activation and
// focus given back. Main may be null.
int Show(QWidget* Main, const std::string& Text, const std::string& Caption, int Flags);
int ShowOwnerless(const std::string& Text, const std::string& Caption, int Flags);

} // namespace PlatformBox
