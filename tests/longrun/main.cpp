// The window runs on the offscreen platform unless told otherwise, so no display is needed.
#include <QApplication>
#include <gtest/gtest.h>

#include "app/ServiceApp.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ServiceApp::Configure(app);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
