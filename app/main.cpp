#include <QApplication>

#include "app/ServiceApp.h"
#include "app/fMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ServiceApp::Configure(app);
    fMain::TForm1 form;
    form.show();
    return QApplication::exec();
}
