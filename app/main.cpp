#include <QApplication>

#include <cstdio>
#include <cstring>

#include "ZurVersion.h"
#include "app/ServiceApp.h"
#include "app/fMain.h"

int main(int argc, char* argv[]) {
    // Answered before the toolkit starts, so that it works without a display (package checks, scripts).
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zur-service %s\n", kZurVersion);
        return 0;
    }
    QApplication app(argc, argv);
    ServiceApp::Configure(app);
    fMain::TForm1 form;
    form.show();
    return QApplication::exec();
}
