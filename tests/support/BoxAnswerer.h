#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    Qt::TextFormat format;
    bool otherWindowShown;  // another window was visible when the box opened
};

// Answers every message box that opens while it lives, as soon as it is
// shown: records it and presses `answer` (or OK, or No, where the box has no such
// button).
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);
    ~BoxAnswerer() override;

    const std::vector<SeenBox>& seen() const { return seen_; }
    QStringList texts() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMessageBox::StandardButton answer_;
    std::vector<SeenBox> seen_;
};
