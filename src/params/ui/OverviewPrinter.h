#pragma once

#include <QByteArray>
#include <QString>

class QPagedPaintDevice;
struct OverviewPrint;

// Renders the printed parameter overview onto pages of a printer or PDF writer: a monospaced
// font sized so that the widest line fits the page width, the heading repeated on every page,
// no item split across pages. False when the device cannot be painted on (no printer).
bool renderOverviewPrint(const OverviewPrint& print, QPagedPaintDevice& device);

// The print as a PDF document on A4 landscape pages, for the caller to save (atomically).
QByteArray overviewPdf(const OverviewPrint& print, const QString& title);
