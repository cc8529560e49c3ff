#include "BoxAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

BoxAnswerer::BoxAnswerer(QMessageBox::StandardButton answer) : answer_(answer)
{
    qApp->installEventFilter(this);
}

BoxAnswerer::~BoxAnswerer()
{
    qApp->removeEventFilter(this);
}

QStringList BoxAnswerer::texts() const
{
    QStringList result;
    for (const SeenBox& box : seen_)
        result << box.text;
    return result;
}

bool BoxAnswerer::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QMessageBox*>(watched);
    if (!box || event->type() != QEvent::Show)
        return false;
    bool otherWindowShown = false;
    for (QWidget* widget : QApplication::topLevelWidgets())
        otherWindowShown = otherWindowShown || (widget != box && widget->isVisible());
    seen_.push_back({box->windowTitle(), box->text(), box->icon(), box->textFormat(), otherWindowShown});
    // Pressed once the box's own event loop runs. A question the test did not
    // expect is answered No, so that it ends the run rather than the test.
    QTimer::singleShot(0, box, [box, answer = answer_] {
        for (const auto choice : {answer, QMessageBox::Ok, QMessageBox::No}) {
            if (QAbstractButton* button = box->button(choice)) {
                button->click();
                return;
            }
        }
    });
    return false;
}
