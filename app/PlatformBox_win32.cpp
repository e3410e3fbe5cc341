#include "app/PlatformBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <vector>
#include <windows.h>

namespace PlatformBox {
namespace {

std::wstring Wide(const std::string& Utf8) {
    if (Utf8.empty()) {
        return {};
    }
    const int size = MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), wide.data(), size);
    return wide;
}

// A window's own handle; none on a platform other than Windows' own (the offscreen one of the tests),
// whose window ids are no window handles.
HWND Handle(QWidget* Window) {
    if (!Window || QGuiApplication::platformName() != QLatin1String("windows")) {
        return nullptr;
    }
    return reinterpret_cast<HWND>(Window->winId());
}

// The main window moved onto the active window's monitor, and back again when the box is gone.
class TMoveToMonitor {
public:
    TMoveToMonitor(HWND Active, HWND Main) : main(Main) {
        if (!Active || !Main) {
            return;
        }
        HMONITOR activeMonitor = MonitorFromWindow(Active, MONITOR_DEFAULTTONEAREST);
        if (activeMonitor == MonitorFromWindow(Main, MONITOR_DEFAULTTONEAREST)) {
            return;
        }
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoW(activeMonitor, &info);
        GetWindowRect(Main, &saved);
        const RECT& m = info.rcMonitor;
        Place(m.left + (m.right - m.left) / 2, m.top + (m.bottom - m.top) / 2);
        moved = true;
    }
    ~TMoveToMonitor() {
        if (moved) {
            Place(saved.left, saved.top);
        }
    }
    TMoveToMonitor(const TMoveToMonitor&) = delete;
    TMoveToMonitor& operator=(const TMoveToMonitor&) = delete;

private:
    void Place(int X, int Y) const {
        SetWindowPos(main, nullptr, X, Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    HWND main;
    RECT saved{};
    bool moved = false;
};

// Every visible and enabled top-level window of this thread but the active one takes no input while
// the box is up; activation and focus come back afterwards, also when the box fails.
class TDisableOthers {
public:
    explicit TDisableOthers(HWND Active) : active(Active), focus(GetFocus()) {
        EnumThreadWindows(GetCurrentThreadId(), &TDisableOthers::Visit, reinterpret_cast<LPARAM>(this));
    }
    ~TDisableOthers() {
        for (HWND window : disabled) {
            EnableWindow(window, TRUE);
        }
        if (active) {
            SetActiveWindow(active);
        }
        if (focus && IsWindow(focus)) {
            SetFocus(focus);
        }
    }
    TDisableOthers(const TDisableOthers&) = delete;
    TDisableOthers& operator=(const TDisableOthers&) = delete;

private:
    static BOOL CALLBACK Visit(HWND Window, LPARAM Self) {
        auto* self = reinterpret_cast<TDisableOthers*>(Self);
        if (Window != self->active && IsWindowVisible(Window) && IsWindowEnabled(Window)) {
            EnableWindow(Window, FALSE);
            self->disabled.push_back(Window);
        }
        return TRUE;
    }
    HWND active;
    HWND focus;
    std::vector<HWND> disabled;
};

int Result(int Button) {
    return Button == IDOK ? IDOK : IDCANCEL;
}

} // namespace

int Show(QWidget* Main, const std::string& Text, const std::string& Caption, int Flags) {
    const std::wstring text = Wide(Text);
    const std::wstring caption = Wide(Caption);
    const HWND active = Handle(QApplication::activeWindow());
    const HWND main = Handle(Main);
    const HWND owner = active ? active : main;
    const TMoveToMonitor move(active, main);
    const TDisableOthers others(active);
    if (Main && Main->layoutDirection() == Qt::RightToLeft) {
        Flags |= kRightToLeftReading;
    }
    return Result(MessageBoxW(owner, text.c_str(), caption.c_str(), static_cast<UINT>(Flags)));
}

int ShowOwnerless(const std::string& Text, const std::string& Caption, int Flags) {
    // The checksum report is plain ASCII, shown through the 8-bit call as the link engine has it.
    return Result(MessageBoxA(nullptr, Text.c_str(), Caption.c_str(), static_cast<UINT>(Flags)));
}

} // namespace PlatformBox
