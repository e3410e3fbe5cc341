// The wait and progress window: placement, bar, clamping, the disabled owner, no way to close it,
// and an owner enabled again however the operation ends.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

#include "app/app_wait.h"
#include "app/fMain.h"
#include "tests/app/AppFixture.h"

namespace {

class WaitWindowTest : public testing::Test {
protected:
    void SetUp() override {
        Owner.setGeometry(100, 120, 498, 312);
        Owner.show();
    }
    QWidget Owner;
};

TEST_F(WaitWindowTest, CentredOnOwnerWithOwnerDisabledWhileShown) {
    {
        app_wait::TProgressWindow wait(&Owner, false);
        wait.SetState(QStringLiteral("Идет выполнение операции..."), 0);
        app_wait::TWaitForm* form = wait.Window();
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->isEnabled());
        EXPECT_FALSE(Owner.isEnabled());
        const QRect owner = Owner.frameGeometry();
        EXPECT_EQ(form->geometry(), QRect(owner.left() + owner.width() / 2 - 130,
                                          owner.top() + owner.height() / 2 - 40, 260, 80));
        EXPECT_EQ(form->findChild<QLabel*>("Info")->text(), "Идет выполнение операции...");
        EXPECT_FALSE(form->findChild<QProgressBar*>("PBar")->isVisibleTo(form));
        EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    }
    EXPECT_TRUE(Owner.isEnabled());
}

TEST_F(WaitWindowTest, BarClampsPercentAndTextStandsAboveIt) {
    app_wait::TProgressWindow wait(&Owner, true);
    auto* bar = wait.Window()->findChild<QProgressBar*>("PBar");
    auto* info = wait.Window()->findChild<QLabel*>("Info");
    EXPECT_TRUE(bar->isVisible());
    const struct {
        int Given, Shown;
        const char* Text;
    } rows[] = {{-5, 0, "0%"}, {0, 0, "0%"}, {42, 42, "42%"}, {100, 100, "100%"}, {150, 100, "100%"}};
    for (const auto& row : rows) {
        wait.SetState(QStringLiteral("Идет обновление..."), row.Given);
        EXPECT_EQ(bar->value(), row.Shown);
        EXPECT_EQ(bar->text(), row.Text);
    }
    EXPECT_LT(info->geometry().bottom(), bar->geometry().top());
    EXPECT_EQ(bar->height(), 22);
}

TEST_F(WaitWindowTest, AltF4AndCloseLeaveItOpen) {
    app_wait::TProgressWindow wait(&Owner, false);
    app_wait::TWaitForm* form = wait.Window();
    QTest::keyClick(form, Qt::Key_F4, Qt::AltModifier);
    wait.ProcessMessages();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(Owner.isEnabled());
}

TEST_F(WaitWindowTest, OwnerEnabledAgainWhenOperationThrows) {
    QPointer<app_wait::TWaitForm> form;
    EXPECT_THROW(
        {
            app_wait::TProgressWindow wait(&Owner, false);
            form = wait.Window();
            throw std::runtime_error("failure");
        },
        std::runtime_error);
    EXPECT_TRUE(Owner.isEnabled());
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->isVisible());
}

TEST(MessageBoxTest, OtherWindowsDisabledWhileShownAndRestored) {
    QWidget main;
    main.show();
    QWidget other;
    other.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.isActiveWindow(); }, 2000));
    bool otherEnabledDuringBox = true;
    fMain::SetMessageBoxAnswerer([&](const std::string&, const std::string&, int) {
        otherEnabledDuringBox = other.isEnabled();
        return fMain::IdCancel;
    });
    const int result = fMain::ShowMessageBox("Текст", "СООБЩЕНИЕ", fMain::MbOkCancel);
    fMain::SetMessageBoxAnswerer({});
    EXPECT_EQ(result, fMain::IdCancel);
    EXPECT_FALSE(otherEnabledDuringBox);
    EXPECT_TRUE(other.isEnabled());
    EXPECT_TRUE(main.isEnabled());
}

// The box itself, without the scripted answerer: its buttons, its icon, and what each way of
// closing it returns.
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
    EXPECT_EQ(fMain::ShowMessageBox("Текст", "СООБЩЕНИЕ", row.Flags), row.Result);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    ASSERT_EQ(buttons.size(), row.Flags == fMain::MbOkCancel ? 2u : 1u);
    EXPECT_EQ(buttons[0].first, QMessageBox::AcceptRole);
    if (row.Flags == fMain::MbOkCancel) {
        EXPECT_EQ(buttons[1].first, QMessageBox::RejectRole);
        EXPECT_EQ(buttons[1].second, QStringLiteral("Отмена"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, RealMessageBoxTest,
    testing::Values(TRealBoxRow{"OkAlone", fMain::MbOk, TBoxAction::ClickOk, fMain::IdOk},
                    TRealBoxRow{"OkOfTwo", fMain::MbOkCancel, TBoxAction::ClickOk, fMain::IdOk},
                    TRealBoxRow{"Escape", fMain::MbOkCancel, TBoxAction::Escape, fMain::IdCancel},
                    TRealBoxRow{"Close", fMain::MbOkCancel, TBoxAction::Close, fMain::IdCancel}),
    [](const testing::TestParamInfo<TRealBoxRow>& info) { return info.param.Name; });

} // namespace
