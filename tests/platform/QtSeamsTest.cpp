#include <gtest/gtest.h>

#include "BoxAnswerer.h"
#include "Pty.h"
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
    timer.setInterval(1);
    EXPECT_TRUE(timer.isEnabled());

    EXPECT_TRUE(runEventsUntil([&] { return ticks == 1; }));
    EXPECT_FALSE(timer.isEnabled());
    timer.setEnabled(true);
    EXPECT_TRUE(runEventsUntil([&] { return ticks == 2; }));
}

TEST(MessageBoxes, ShowExactlyTheirTitleTextIconAndButtonsAsPlainText)
{
    BoxAnswerer ok;
    korvel::platform::showMessage(nullptr, "Title", "Error while accessing the com port.", MessageIcon::Exclamation);
    korvel::platform::showMessage(nullptr, "Title", "Error opening <b>fw</b>.hex.", MessageIcon::None);
    ASSERT_EQ(ok.seen().size(), 2u);
    EXPECT_EQ(ok.seen()[0].title, "Title");
    EXPECT_EQ(ok.seen()[0].text, "Error while accessing the com port.");
    EXPECT_EQ(ok.seen()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(ok.seen()[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(ok.seen()[1].icon, QMessageBox::NoIcon);
    EXPECT_EQ(ok.seen()[1].format, Qt::PlainText) << "a file name must not be shown as markup";
}

TEST(MessageBoxes, QuestionsAreAnsweredByYesOrNo)
{
    for (const auto& [button, answer] : {std::pair(QMessageBox::Yes, true), std::pair(QMessageBox::No, false)}) {
        BoxAnswerer answerer(button);
        EXPECT_EQ(korvel::platform::askYesNo(nullptr, "Q", "Continue with download?"), answer);
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::NoIcon);
        EXPECT_EQ(answerer.seen()[0].format, Qt::PlainText);
    }
}

}  // namespace
