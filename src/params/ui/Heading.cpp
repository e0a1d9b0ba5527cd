#include "params/ui/Heading.h"

#include <QHBoxLayout>
#include <QLabel>

QHBoxLayout* windowHeading(QWidget* window, const QString& captionName, const QString& numberName,
                           QLabel** number) {
    auto* caption = new QLabel(window);
    caption->setObjectName(captionName);
    *number = new QLabel(window);
    (*number)->setObjectName(numberName);
    QFont big = caption->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    caption->setFont(big);
    (*number)->setFont(big);
    auto* line = new QHBoxLayout;
    line->addWidget(caption);
    line->addWidget(*number);
    line->addStretch(1);
    return line;
}
