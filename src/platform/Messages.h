#pragma once

#include <QString>

#include "link/FrontEnd.h"

class QWidget;

namespace korvel::platform {

// A modal message box of the kind: a question has Yes and No buttons and no
// icon, a warning OK and the exclamation icon, any other OK and no icon. True
// when a question is answered Yes.
bool showBox(QWidget* parent, const QString& title, link::MessageKind kind, const QString& text);

}  // namespace korvel::platform
