#pragma once

#include <QString>

#include "link/FrontEnd.h"

class QWidget;

namespace korvel::platform {

// A modal message with an OK button, without an icon or with the exclamation icon.
void showMessage(QWidget* parent, const QString& title, const QString& text, link::MessageIcon icon);

// A modal question with Yes and No buttons and no icon; true for Yes.
bool askYesNo(QWidget* parent, const QString& title, const QString& text);

}  // namespace korvel::platform
