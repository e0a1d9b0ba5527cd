#include "services/ui/RecordGrid.h"

#include <QHeaderView>
#include <QSplitter>
#include <QTableView>

QTableView* recordGrid(const QString& name, QAbstractItemModel* model, QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setHighlightSections(false);
    return grid;
}

QSplitter* besideChart(QWidget* grid, QWidget* chart, int gridStretch, int chartStretch,
                       QWidget* parent) {
    auto* split = new QSplitter(Qt::Horizontal, parent);
    split->addWidget(grid);
    split->addWidget(chart);
    split->setStretchFactor(0, gridStretch);
    split->setStretchFactor(1, chartStretch);
    split->setChildrenCollapsible(false);
    return split;
}
