#pragma once

#include <QImage>
#include <QSize>

// The rows of a picture that its board covers; the rows above and below stay
// transparent, where the picture of a neighbouring board overlaps it.
struct BoardRows {
    int top = 0;
    int height = 0;  // 0: down to the bottom of the picture
};

// Stylised pictures of the target modules the bootloader serves. Each board is
// drawn into a transparent image of the given size, in the given rows of it.
QImage drawBoardE(QSize size, BoardRows rows = {});
QImage drawBoardA(QSize size, BoardRows rows = {});
QImage drawBoardB(QSize size, BoardRows rows = {});
QImage drawBoardC(QSize size, BoardRows rows = {});
QImage drawBoardD(QSize size, BoardRows rows = {});

// The maker's mark: a chip symbol beside the word "Korvel", laid out for any size.
QImage drawLogo(QSize size);
// The 32 x 32 window icon in the 16 standard colours.
QImage drawIcon();
// The same icon drawn smooth, side x side pixels, for desktop menus.
QImage drawLargeIcon(int side);
