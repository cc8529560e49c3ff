// Writes the program's pictures as PNG files into the folder given as the only
// argument:  korvel_drawresources <folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <functional>

#include "Painters.h"

namespace {

struct Picture {
    const char* fileName;
    std::function<QImage()> draw;
};

}  // namespace

int main(int argc, char** argv)
{
    // Drawing needs no screen; fonts come through the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (argc != 2) {
        std::fprintf(stderr, "usage: korvel_drawresources <output folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    const Picture pictures[] = {
        {"icon.png", [] { return drawIcon(); }},
        {"icon_128.png", [] { return drawLargeIcon(128); }},
        {"logo.png", [] { return drawLogo(QSize(221, 90)); }},
        {"infologo.png", [] { return drawLogo(QSize(400, 196)); }},
        // The window shows these three one below the other, at the tops of 8,
        // 80 and 144 pixels: E's picture overlaps A's by 8 rows, A's overlaps
        // B's by 16. Each board keeps to rows that no neighbour draws on,
        // 70 rows tall with 3 rows between boards, so that none covers another
        // whichever picture lies on top: E on 8 to 78, A on 81 to 151, B on
        // 154 to 224 of the window.
        {"board_e.png",
         [] {
             return drawBoardE(QSize(133, 80), {0, 70});
         }},
        {"board_a.png",
         [] {
             return drawBoardA(QSize(133, 80), {1, 70});
         }},
        {"board_b.png",
         [] {
             return drawBoardB(QSize(179, 80), {10, 70});
         }},
        {"board_c.png", [] { return drawBoardC(QSize(184, 71)); }},
        {"board_d.png", [] { return drawBoardD(QSize(179, 66)); }},
    };
    for (const Picture& picture : pictures) {
        const QString path = folder.filePath(QString::fromLatin1(picture.fileName));
        if (!picture.draw().save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
