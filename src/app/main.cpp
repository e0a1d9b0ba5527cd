#include "app/ui/frmKonfig.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    frmKonfig window;
    window.show();
    return app.exec();
}
