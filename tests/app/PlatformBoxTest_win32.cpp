// The message box as Windows shows it, without the scripted answerer: found on the screen while it
// is up, its caption, text, buttons and lack of an icon read back, each way of closing it with its
// result, the other windows of the program taking no input meanwhile and taking it again afterwards,
// and the link engine's ownerless box.
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>

#include "app/ReportBox.h"

namespace {

enum class TBoxAction { ClickOk, ClickCancel, Close };

struct TSeen {
    bool Found = false;
    std::wstring Text;
    std::vector<std::pair<int, std::wstring>> Buttons; // control id and caption
    bool Icon = false;
    HWND Owner = nullptr;
    bool OtherEnabled = true;
};

// What a timer of this thread sees of the box from inside its modal loop, and how it closes it.
struct TWatch {
    const wchar_t* Caption;
    TBoxAction Action;
    HWND Other;
    TSeen Seen;
};
TWatch* Watching = nullptr;

std::wstring TextOf(HWND Window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(Window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(Window, text.data(), static_cast<int>(text.size()))));
    return text;
}

BOOL CALLBACK ReadControl(HWND Control, LPARAM Seen) {
    auto* seen = reinterpret_cast<TSeen*>(Seen);
    wchar_t kind[32] = {};
    GetClassNameW(Control, kind, 32);
    const LONG style = GetWindowLongW(Control, GWL_STYLE);
    if (std::wstring(kind) == L"Button") {
        seen->Buttons.emplace_back(GetDlgCtrlID(Control), TextOf(Control));
    } else if (std::wstring(kind) == L"Static" && (style & SS_TYPEMASK) == SS_ICON) {
        seen->Icon = seen->Icon || SendMessageW(Control, STM_GETICON, 0, 0) != 0;
    } else if (std::wstring(kind) == L"Static" && !TextOf(Control).empty()) {
        seen->Text = TextOf(Control);
    }
    return TRUE;
}

void CALLBACK LookForBox(HWND, UINT, UINT_PTR Timer, DWORD) {
    HWND box = FindWindowW(L"#32770", Watching->Caption);
    if (!box || !IsWindowVisible(box)) {
        return;
    }
    KillTimer(nullptr, Timer);
    TSeen& seen = Watching->Seen;
    seen.Found = true;
    EnumChildWindows(box, ReadControl, reinterpret_cast<LPARAM>(&seen));
    seen.Owner = GetWindow(box, GW_OWNER);
    seen.OtherEnabled = IsWindowEnabled(Watching->Other) != FALSE;
    switch (Watching->Action) {
    case TBoxAction::ClickOk:
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        break;
    case TBoxAction::ClickCancel:
        SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
        break;
    case TBoxAction::Close:
        PostMessageW(box, WM_CLOSE, 0, 0);
        break;
    }
}

// Another top-level window of the program, visible and enabled, as the traffic window may be.
class TOtherWindow {
public:
    TOtherWindow()
        : Handle(CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~TOtherWindow() { DestroyWindow(Handle); }
    TOtherWindow(const TOtherWindow&) = delete;
    TOtherWindow& operator=(const TOtherWindow&) = delete;
    const HWND Handle;
};

TSeen Watch(const wchar_t* Caption, TBoxAction Action, HWND Other, int& Result,
            const std::function<int()>& ShowBox) {
    TWatch watch{Caption, Action, Other, {}};
    Watching = &watch;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, LookForBox);
    Result = ShowBox();
    KillTimer(nullptr, timer);
    Watching = nullptr;
    return watch.Seen;
}

struct TBoxRow {
    const char* Name;
    int Flags;
    TBoxAction Action;
    int Result;
};

void PrintTo(const TBoxRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class WindowsMessageBoxTest : public testing::TestWithParam<TBoxRow> {};

TEST_P(WindowsMessageBoxTest, CaptionTextButtonsNoIconResultAndOtherWindowsHeld) {
    const TBoxRow& row = GetParam();
    const TOtherWindow other;
    int result = 0;
    const TSeen seen = Watch(L"СООБЩЕНИЕ", row.Action, other.Handle, result, [&] {
        return ReportBox::ShowMessageBox("Конфигурация успешно получена", "СООБЩЕНИЕ", row.Flags);
    });
    ASSERT_TRUE(seen.Found);
    EXPECT_EQ(result, row.Result);
    EXPECT_EQ(seen.Text, L"Конфигурация успешно получена");
    EXPECT_FALSE(seen.Icon);
    ASSERT_EQ(seen.Buttons.size(), row.Flags == ReportBox::MbOkCancel ? 2u : 1u);
    EXPECT_EQ(seen.Buttons[0].first, IDOK);
    if (row.Flags == ReportBox::MbOkCancel) {
        EXPECT_EQ(seen.Buttons[1].first, IDCANCEL);
    }
    EXPECT_FALSE(seen.OtherEnabled) << "another window took input while the box was up";
    EXPECT_TRUE(IsWindowEnabled(other.Handle)) << "another window stayed disabled after the box";
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, WindowsMessageBoxTest,
    testing::Values(TBoxRow{"OkAlone", ReportBox::MbOk, TBoxAction::ClickOk, ReportBox::IdOk},
                    TBoxRow{"OkOfTwo", ReportBox::MbOkCancel, TBoxAction::ClickOk, ReportBox::IdOk},
                    TBoxRow{"Cancel", ReportBox::MbOkCancel, TBoxAction::ClickCancel, ReportBox::IdCancel},
                    TBoxRow{"Close", ReportBox::MbOkCancel, TBoxAction::Close, ReportBox::IdCancel}),
    [](const testing::TestParamInfo<TBoxRow>& row) { return row.param.Name; });

TEST(WindowsMessageBoxTest, ChecksumBoxHasNoOwnerNoCaptionAndHoldsNoWindow) {
    const TOtherWindow other;
    int result = 0;
    const TSeen seen = Watch(L"", TBoxAction::ClickOk, other.Handle, result,
                             [] { return ReportBox::ShowOwnerlessBox("12AB 0F00", "", ReportBox::MbOk); });
    ASSERT_TRUE(seen.Found);
    EXPECT_EQ(result, ReportBox::IdOk);
    EXPECT_EQ(seen.Text, L"12AB 0F00");
    EXPECT_EQ(seen.Owner, nullptr);
    EXPECT_TRUE(seen.OtherEnabled);
    EXPECT_EQ(seen.Buttons.size(), 1u);
}

} // namespace
