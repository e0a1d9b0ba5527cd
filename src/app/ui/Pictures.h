#pragma once

#include <QPixmap>
#include <QSize>

// The main window's pictures, drawn in code: the error mark (first image of the window's image
// list), the device picture of Image1 (second image) and the four language flags.
namespace Pictures {

QPixmap errorMark(int size = 20);
QPixmap devicePicture(const QSize& size = QSize(150, 110));

// 0 German, 1 English, 2 French, 3 Italian.
QPixmap flag(int languageIndex, const QSize& size = QSize(30, 20));

} // namespace Pictures
