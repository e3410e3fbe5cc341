#include <QApplication>

#include <cstdio>
#include <cstring>

#include "ZurVersion.h"
#include "app/DisplayCheck.h"
#include "app/ServiceApp.h"
#include "app/WindowTexts.h"
#include "app/fMain.h"
#include "service/Texts.h"

namespace {

constexpr int kNoDisplay = 2;  // nowhere to show the window
constexpr int kOutputLost = 3; // what was printed did not reach its destination

} // namespace

int main(int argc, char* argv[]) {
    // Answered before the toolkit starts, so that it works without a display (package checks, scripts).
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zur-service %s\n", kZurVersion);
        if (std::fflush(stdout) != 0) {
            std::fprintf(stderr, "zur-service: %s\n", WindowTexts::kVersionLost);
            return kOutputLost;
        }
        return 0;
    }
    if (const auto missing = DisplayCheck::Missing()) {
        std::fprintf(stderr, "zur-service: %s\n", missing->c_str());
        return kNoDisplay;
    }
    QApplication app(argc, argv);
    ServiceApp::Configure(app);
    fMain::TForm1 form;
    form.show();
    return QApplication::exec();
}
