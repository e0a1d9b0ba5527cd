#pragma once

#include <QMainWindow>

// The main window.
class frmKonfig : public QMainWindow {
    Q_OBJECT
public:
    explicit frmKonfig(QWidget* parent = nullptr);
};
