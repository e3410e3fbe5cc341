// Opening and closing the connection, and the three ways opening fails.
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include "serial/MyCOMM.h"
#include "tests/support/WindowFixture.h"

namespace {

using WindowFixture::TBox;

class ConnectionTest : public WindowFixture::WindowTest {
protected:
    void ExpectClosed() {
        EXPECT_FALSE(Form->IsConnected());
        EXPECT_EQ(Form->Protocol(), nullptr);
        EXPECT_EQ(Find<QAbstractButton>("bOpenClose")->text(), "Открыть");
        EXPECT_FALSE(Find<QTabWidget>("vPages")->isEnabled());
    }
};

TEST_F(ConnectionTest, OpenAndCloseAlternate) {
    for (int round = 0; round < 2; ++round) {
        Open();
        EXPECT_EQ(Find<QAbstractButton>("bOpenClose")->text(), "Закрыть");
        EXPECT_TRUE(Find<QTabWidget>("vPages")->isEnabled());
        ASSERT_NE(Form->Protocol(), nullptr);
        EXPECT_EQ(Form->Protocol()->Address, 1);
        Click("bGetConfig");
        EXPECT_TRUE(Form->IsConfigRead());
        Click("bOpenClose");
        ExpectClosed();
        EXPECT_FALSE(Form->IsConfigRead()); // a new read must come before the next save
    }
    EXPECT_EQ(Boxes->Boxes.size(), 2u); // the two reads' success boxes and nothing else
}

TEST_F(ConnectionTest, AddressIsTakenWhenOpening) {
    Spin("vTRKAddr")->setValue(9);
    Open();
    EXPECT_EQ(Form->Protocol()->Address, 9);
    Spin("vTRKAddr")->setValue(3); // no effect on the open connection
    EXPECT_EQ(Form->Protocol()->Address, 9);
}

TEST_F(ConnectionTest, TypedTextIsUsedButNeverAddedToTheLists) {
    const auto items = [this](const char* Name) {
        QStringList list;
        for (int i = 0; i < Find<QComboBox>(Name)->count(); ++i)
            list << Find<QComboBox>(Name)->itemText(i);
        return list;
    };
    const QStringList ports = items("vCOMSelect"), speeds = items("bComSpeed");
    for (const char* name : {"vCOMSelect", "bComSpeed"}) {
        auto* box = Find<QComboBox>(name);
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), "typed");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    }
    EXPECT_EQ(items("vCOMSelect"), ports);
    EXPECT_EQ(items("bComSpeed"), speeds);
    Find<QComboBox>("bComSpeed")->setCurrentIndex(3);
    Open(); // types the simulator's port over the text
    EXPECT_TRUE(Form->IsConnected());
    EXPECT_EQ(items("vCOMSelect"), ports);
}

TEST_F(ConnectionTest, EmptyPortText) {
    Find<QComboBox>("vCOMSelect")->setEditText(QString());
    Click("bOpenClose");
    ExpectClosed();
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Не вебран порт.", "ОШИБКА", 0}}));
}

TEST_F(ConnectionTest, PortThatCannotBeOpened) {
    const std::vector<std::string> names{"/nonexistent/ttyZUR", "/dev/null"};
    for (const std::string& name : names) {
        Boxes->Boxes.clear();
        Find<QComboBox>("vCOMSelect")->setEditText(QString::fromStdString(name));
        Click("bOpenClose");
        ExpectClosed();
        EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Невозможно открыть порт.", "ОШИБКА", 0}})) << name;
    }
}

TEST_F(ConnectionTest, PortHeldByAnotherProgram) {
    const MyCOMM::TZMyComm holder(Sim->PortPath(), 9600, 256, 256, 2, 1, 0, 8);
    try {
        const MyCOMM::TZMyComm second(Sim->PortPath(), 9600, 256, 256, 2, 1, 0, 8);
        GTEST_SKIP() << "this system lets a second program open a held port (Wine does)";
    } catch (const MyCOMM::ECommError&) {
    }
    Find<QComboBox>("vCOMSelect")->setEditText(QString::fromStdString(Sim->PortPath()));
    Click("bOpenClose");
    ExpectClosed();
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Невозможно открыть порт.", "ОШИБКА", 0}}));
}

TEST_F(ConnectionTest, SpeedThatIsNotAnIntegerFailsBeforeOpening) {
    Find<QComboBox>("bComSpeed")->setEditText(QStringLiteral("96OO"));
    Find<QComboBox>("vCOMSelect")->setEditText(QString::fromStdString(Sim->PortPath()));
    Click("bOpenClose");
    ExpectClosed();
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"'96OO' is not a valid integer value", "ОШИБКА", 0}}));
    // The port was not touched: another opener gets it.
    EXPECT_NO_THROW(MyCOMM::TZMyComm(Sim->PortPath(), 9600, 256, 256, 2, 1, 0, 8));
}

} // namespace
