#pragma once

#include <QString>

class QHBoxLayout;
class QLabel;
class QWidget;

// The heading line of a channel window: its caption ("Controller channel") and, beside it in
// the same large type, what the window works on (the channel number, the alarm letter).
// Returns the line; *number is the label for the number.
QHBoxLayout* windowHeading(QWidget* window, const QString& captionName, const QString& numberName,
                           QLabel** number);
