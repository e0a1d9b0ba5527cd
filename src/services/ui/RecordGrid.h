#pragma once

class QAbstractItemModel;
class QSplitter;
class QString;
class QTableView;
class QWidget;

// The grid of a record read from the controller (the alarm history, the logger's samples):
// read-only, one cell selected at a time, rows as high as a line of text, no row numbers.
QTableView* recordGrid(const QString& name, QAbstractItemModel* model, QWidget* parent);
// The grid with its chart beside it; the user moves the border between them.
QSplitter* besideChart(QWidget* grid, QWidget* chart, int gridStretch, int chartStretch,
                       QWidget* parent);
