#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "PtyPair.h"
#include "platform/QtTimer.h"
#include "platform/messages.h"

using korvel::link::MessageIcon;
using korvel::platform::QtTimer;

namespace {

TEST(QtTimer, SelfDisablingTimerTicksOncePerEnabling)
{
    QtTimer timer;
    timer.setInterval(5);
    int ticks = 0;
    timer.setTickHandler([&] {
        ++ticks;
        timer.setEnabled(false);
    });

    timer.setEnabled(true);
    timer.setEnabled(true);
    EXPECT_TRUE(timer.isEnabled());
    timer.setInterval(1);
    EXPECT_TRUE(timer.isEnabled());
    EXPECT_EQ(timer.interval(), 1);

    EXPECT_TRUE(runEventsUntil([&] { return ticks == 1; }));
    EXPECT_FALSE(timer.isEnabled());
    timer.setEnabled(true);
    EXPECT_TRUE(runEventsUntil([&] { return ticks == 2; }));
}

// Answers the next modal message box with `button` after recording what it shows.
void answerNextBox(QMessageBox::StandardButton button, QMessageBox& seen)
{
    QTimer::singleShot(0, [button, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            answerNextBox(button, seen);
            return;
        }
        seen.setWindowTitle(box->windowTitle());
        seen.setText(box->text());
        seen.setIcon(box->icon());
        seen.setTextFormat(box->textFormat());
        seen.setStandardButtons(box->standardButtons());
        box->button(button)->click();
    });
}

TEST(MessageBoxes, ShowExactlyTheirTitleTextIconAndButtons)
{
    QMessageBox seen;
    answerNextBox(QMessageBox::Ok, seen);
    korvel::platform::showMessage(nullptr, "Title", "Error while accessing the com port.", MessageIcon::Exclamation);
    EXPECT_EQ(seen.windowTitle(), "Title");
    EXPECT_EQ(seen.text(), "Error while accessing the com port.");
    EXPECT_EQ(seen.icon(), QMessageBox::Warning);
    EXPECT_EQ(seen.standardButtons(), QMessageBox::Ok);

    answerNextBox(QMessageBox::Ok, seen);
    korvel::platform::showMessage(nullptr, "Title", "Error opening <b>fw</b>.hex.", MessageIcon::None);
    EXPECT_EQ(seen.icon(), QMessageBox::NoIcon);
    EXPECT_EQ(seen.textFormat(), Qt::PlainText) << "a file name must not be shown as markup";

    for (const auto& [button, answer] : {std::pair(QMessageBox::Yes, true), std::pair(QMessageBox::No, false)}) {
        answerNextBox(button, seen);
        EXPECT_EQ(korvel::platform::askYesNo(nullptr, "Q", "Continue with download?"), answer);
        EXPECT_EQ(seen.standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(seen.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(seen.textFormat(), Qt::PlainText);
    }
}

}  // namespace
