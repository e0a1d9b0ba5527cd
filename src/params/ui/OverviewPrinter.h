#pragma once

#include <QByteArray>
#include <QString>

class QPagedPaintDevice;
struct OverviewPrint;

// Renders the printed parameter overview onto pages of a printer or PDF writer: a monospaced
// font sized so that the widest line fits the page width, the heading repeated on every page,
// no item split across pages. False, with *error saying why, when the device cannot be painted
// on (no printer, unwritable output).
bool renderOverviewPrint(const OverviewPrint& print, QPagedPaintDevice& device, QString* error);

// The print as a PDF document on A4 landscape pages, for the caller to save (atomically).
// Empty, with *error set, when it cannot be rendered.
QByteArray overviewPdf(const OverviewPrint& print, const QString& title, QString* error);
