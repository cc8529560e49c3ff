#include "platform/Messages.h"

#include <QMessageBox>

namespace korvel::platform {

// Texts carry file names, which must never be taken for markup.
bool showBox(QWidget* parent, const QString& title, link::MessageKind kind, const QString& text)
{
    const bool question = kind == link::MessageKind::Question;
    const auto icon = kind == link::MessageKind::Warning ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, title, text, question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (question)
        box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace korvel::platform
