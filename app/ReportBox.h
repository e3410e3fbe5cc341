#pragma once
// The modal message box every report of the windows goes through: no icon, an OK button or OK and
// Cancel, owned by the active window (or the main window), every other window of the program taking
// no input while it is up, and the active window and the focus given back afterwards.

#include <functional>
#include <string>

class QWidget;

namespace ReportBox {

// Message-box flags and results, as the handlers pass and test them.
inline constexpr int MbOk = 0;
inline constexpr int MbOkCancel = 1;
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;

// The window that owns a box when no window is active; the main window sets itself here.
void SetMainWindow(QWidget* Main);

// Texts are UTF-8. Returns IdOk, or IdCancel also when the box is closed.
int ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags);
// The same box with no owner and nothing disabled (the link engine's checksum report).
int ShowOwnerlessBox(const std::string& Text, const std::string& Caption, int Flags);

// Tests put a scripted answerer in place of the modal box; an empty function brings the box back.
using TAnswerer = std::function<int(const std::string& Text, const std::string& Caption, int Flags)>;
void SetAnswerer(TAnswerer Answerer);

} // namespace ReportBox
