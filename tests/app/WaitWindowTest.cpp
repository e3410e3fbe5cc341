// The wait and progress window: placement, bar, clamping, the disabled owner, no way to close it,
// and an owner enabled again however the operation ends.
#include <QLabel>
#include <QProgressBar>
#include <QTest>
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

} // namespace
