// The message box itself, without the scripted answerer: its buttons, its icon, what each way of
// closing it returns, and the other windows, which take no input while it is up.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "app/ReportBox.h"
#include "tests/support/WindowFixture.h"

namespace {

TEST(MessageBoxTest, OtherWindowsTakeNoInputWhileShownAndKeepTheirLook) {
    QWidget main;
    main.show();
    QWidget other;
    auto* button = new QPushButton(&other);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    other.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.isActiveWindow(); }, 2000));
    bool otherGreyed = true;
    QTimer::singleShot(0, &main, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        otherGreyed = !other.isEnabled();
        WindowFixture::ClickThroughWindowSystem(button);
        WindowFixture::RequestClose(&other);
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(ReportBox::ShowMessageBox("Текст", "СООБЩЕНИЕ", ReportBox::MbOkCancel), ReportBox::IdCancel);
    EXPECT_FALSE(otherGreyed);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(other.isVisible());
    WindowFixture::ClickThroughWindowSystem(button);
    EXPECT_EQ(clicks, 1);
}

enum class TBoxAction { ClickOk, Escape, Close };

struct TRealBoxRow {
    const char* Name;
    int Flags;
    TBoxAction Action;
    int Result;
};

void PrintTo(const TRealBoxRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class RealMessageBoxTest : public testing::TestWithParam<TRealBoxRow> {};

TEST_P(RealMessageBoxTest, ButtonsIconAndResult) {
    const TRealBoxRow& row = GetParam();
    std::vector<std::pair<QMessageBox::ButtonRole, QString>> buttons;
    QMessageBox::Icon icon = QMessageBox::Information;
    // Looks for the box once it runs and acts on it as the engineer would.
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            return;
        }
        watch.stop();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            buttons.emplace_back(box->buttonRole(button), button->text());
        }
        switch (row.Action) {
        case TBoxAction::ClickOk:
            box->button(QMessageBox::Ok)->click();
            break;
        case TBoxAction::Escape:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case TBoxAction::Close:
            box->close();
            break;
        }
    });
    watch.start();
    EXPECT_EQ(ReportBox::ShowMessageBox("Текст", "СООБЩЕНИЕ", row.Flags), row.Result);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    ASSERT_EQ(buttons.size(), row.Flags == ReportBox::MbOkCancel ? 2u : 1u);
    EXPECT_EQ(buttons[0].first, QMessageBox::AcceptRole);
    if (row.Flags == ReportBox::MbOkCancel) {
        EXPECT_EQ(buttons[1].first, QMessageBox::RejectRole);
        EXPECT_EQ(buttons[1].second, QStringLiteral("Отмена"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, RealMessageBoxTest,
    testing::Values(TRealBoxRow{"OkAlone", ReportBox::MbOk, TBoxAction::ClickOk, ReportBox::IdOk},
                    TRealBoxRow{"OkOfTwo", ReportBox::MbOkCancel, TBoxAction::ClickOk, ReportBox::IdOk},
                    TRealBoxRow{"Escape", ReportBox::MbOkCancel, TBoxAction::Escape, ReportBox::IdCancel},
                    TRealBoxRow{"Close", ReportBox::MbOkCancel, TBoxAction::Close, ReportBox::IdCancel}),
    [](const testing::TestParamInfo<TRealBoxRow>& row) { return row.param.Name; });

} // namespace
