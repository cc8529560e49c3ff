#pragma once

#include <QImage>
#include <QSize>

// Stylised pictures of the target modules the bootloader serves. Each board is
// drawn into a transparent image of the given size.
QImage drawBoardE(QSize size);
QImage drawBoardA(QSize size);
QImage drawBoardB(QSize size);
QImage drawBoardC(QSize size);
QImage drawBoardD(QSize size);

// The maker's mark: a chip symbol beside the word "Korvel", laid out for any size.
QImage drawLogo(QSize size);
// The 32 x 32 window icon in the 16 standard colours.
QImage drawIcon();
// The same icon drawn smooth, side x side pixels, for desktop menus.
QImage drawLargeIcon(int side);
