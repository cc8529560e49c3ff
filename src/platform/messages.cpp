#include "platform/messages.h"

#include <QMessageBox>

namespace korvel::platform {

// Texts carry file names, which must never be taken for markup.

void showMessage(QWidget* parent, const QString& title, const QString& text, link::MessageIcon icon)
{
    const auto boxIcon = icon == link::MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool askYesNo(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace korvel::platform
