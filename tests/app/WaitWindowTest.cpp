// The wait and progress window: placement, bar, clamping, the owner that takes no input, no way
// for the user to close it, and an owner usable again however the operation ends.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

#include "app/app_wait.h"
#include "app/fMain.h"
#include "tests/support/WindowFixture.h"

namespace {

class WaitWindowTest : public testing::Test {
protected:
    void SetUp() override {
        Owner.setGeometry(100, 120, 498, 312);
        Button->setGeometry(10, 10, 80, 25);
        QObject::connect(Button, &QPushButton::clicked, [this] { ++Clicks; });
        Owner.show();
    }
    QWidget Owner;
    QPushButton* Button = new QPushButton(&Owner);
    int Clicks = 0;
};

TEST_F(WaitWindowTest, CentredOnOwnerWhichTakesNoInputWhileShown) {
    {
        app_wait::TProgressWindow wait(&Owner, false);
        wait.SetState(QStringLiteral("Идет выполнение операции..."), 0);
        app_wait::TWaitForm* form = wait.Window();
        EXPECT_TRUE(form->isVisible());
        WindowFixture::ClickThroughWindowSystem(Button);
        EXPECT_EQ(Clicks, 0);
        EXPECT_TRUE(Button->isEnabled()); // it keeps its look
        const QRect owner = Owner.frameGeometry();
        EXPECT_EQ(form->geometry(), QRect(owner.left() + owner.width() / 2 - 130,
                                          owner.top() + owner.height() / 2 - 40, 260, 80));
        EXPECT_EQ(form->findChild<QLabel*>("Info")->text(), "Идет выполнение операции...");
        EXPECT_FALSE(form->findChild<QProgressBar*>("PBar")->isVisibleTo(form));
        EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    }
    WindowFixture::ClickThroughWindowSystem(Button);
    EXPECT_EQ(Clicks, 1);
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

TEST_F(WaitWindowTest, AltF4AndCloseRequestsLeaveItOpen) {
    app_wait::TProgressWindow wait(&Owner, false);
    app_wait::TWaitForm* form = wait.Window();
    QTest::keyClick(form, Qt::Key_F4, Qt::AltModifier);
    wait.ProcessMessages();
    EXPECT_TRUE(form->isVisible());
    WindowFixture::RequestClose(form);
    WindowFixture::RequestClose(&Owner);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(Owner.isVisible());
}

TEST_F(WaitWindowTest, ApplicationQuitClosesIt) {
    app_wait::TProgressWindow wait(&Owner, false);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    deadline.start(10000);
    EXPECT_EQ(QApplication::exec(), 0) << "the quit was cancelled";
    EXPECT_FALSE(wait.Window()->isVisible());
}

TEST_F(WaitWindowTest, OwnerUsableAgainWhenOperationThrows) {
    QPointer<app_wait::TWaitForm> form;
    EXPECT_THROW(
        {
            app_wait::TProgressWindow wait(&Owner, false);
            form = wait.Window();
            throw std::runtime_error("failure");
        },
        std::runtime_error);
    WindowFixture::ClickThroughWindowSystem(Button);
    EXPECT_EQ(Clicks, 1);
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->isVisible());
}

} // namespace
