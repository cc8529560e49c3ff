#pragma once

#include <QString>

namespace korvel::resources {

// Registers the compiled-in pictures; safe to call any number of times. A
// static library's resources are registered only when someone asks for them.
void ensureLoaded();

// Resource paths of the pictures.
inline const QString kIcon = QStringLiteral(":/korvel/icon.png");
inline const QString kLogo = QStringLiteral(":/korvel/logo.png");
inline const QString kInfoLogo = QStringLiteral(":/korvel/infologo.png");
inline const QString kBoardE = QStringLiteral(":/korvel/board_e.png");
inline const QString kBoardA = QStringLiteral(":/korvel/board_a.png");
inline const QString kBoardB = QStringLiteral(":/korvel/board_b.png");
inline const QString kBoardC = QStringLiteral(":/korvel/board_c.png");
inline const QString kBoardD = QStringLiteral(":/korvel/board_d.png");

}  // namespace korvel::resources
