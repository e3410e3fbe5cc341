// The traffic window: opened from the main window, it shows the decoded exchanges of an operation
// as they happen, holds them back while paused, and its saved trace decodes to what it showed.
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>

#include "app/TrafficWindow.h"
#include "tests/support/WindowFixture.h"
#include "trace/TraceDecoder.h"

namespace {

using TrafficWindow::TTrafficWindow;

class TrafficWindowTest : public WindowFixture::WindowTest {
protected:
    TTrafficWindow* OpenTraffic() {
        Click("bTraffic");
        return Form->Traffic();
    }
};

TEST_F(TrafficWindowTest, ShowsEachExchangeAndKeepsThemBackWhilePaused) {
    Open();
    TTrafficWindow* traffic = OpenTraffic();
    ASSERT_NE(traffic, nullptr);
    EXPECT_TRUE(traffic->isVisible());
    EXPECT_TRUE(Form->isEnabled());
    Click("bGetConfig");
    const QString text = traffic->Text();
    EXPECT_EQ(text.count("command request to 1, GetParam (0F)"), 12) << text.toStdString();
    EXPECT_EQ(text.count("the tool: accepted"), 12);
    EXPECT_TRUE(text.contains("parameter 101 SerialNo = \"1234567890\""));

    traffic->Pause(true);
    Click("bGetConfig");
    EXPECT_EQ(traffic->Text(), text);
    traffic->Pause(false);
    EXPECT_EQ(traffic->Text().count("the tool: accepted"), 24);

    // The saved trace, decoded later, reads as the window did.
    QTemporaryDir dir;
    const QString path = dir.filePath("line.trace");
    ASSERT_TRUE(traffic->Save(path, false));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList decoded;
    for (const std::string& line : TraceDecoder::DecodeText(file.readAll().toStdString()))
        decoded << QString::fromStdString(line);
    EXPECT_EQ(decoded.join('\n'), traffic->Text());

    traffic->Clear();
    EXPECT_TRUE(traffic->Text().isEmpty());
}

TEST_F(TrafficWindowTest, F12OpensItWithWhatWasAlreadySent) {
    Open();
    Click("bGetConfig");
    QTest::keyClick(Form.get(), Qt::Key_F12);
    ASSERT_NE(Form->Traffic(), nullptr);
    EXPECT_EQ(Form->Traffic()->Text().count("the tool: accepted"), 12);
}

} // namespace
