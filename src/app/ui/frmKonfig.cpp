#include "app/ui/frmKonfig.h"

frmKonfig::frmKonfig(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmKonfig"));
    setWindowTitle(QStringLiteral("Q7400 configurator"));
    resize(900, 600);
}
