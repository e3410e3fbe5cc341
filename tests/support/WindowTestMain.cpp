// The window tests need an application object; they run on the offscreen platform unless told
// otherwise, so they need no display.
#include <QApplication>
#include <gtest/gtest.h>

#include "app/ServiceApp.h"

namespace {

// The offscreen platform warns each time a window asks to be raised or sized by a window manager.
QtMessageHandler DefaultHandler = nullptr;

void QuietOffscreen(QtMsgType Type, const QMessageLogContext& Context, const QString& Message) {
    if (!Message.startsWith(QLatin1String("This plugin does not support"))) {
        DefaultHandler(Type, Context, Message);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    DefaultHandler = qInstallMessageHandler(QuietOffscreen);
    QApplication app(argc, argv);
    ServiceApp::Configure(app);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
