#include <gtest/gtest.h>

#include "BoxAnswerer.h"
#include "PtyPair.h"
#include "platform/Messages.h"
#include "platform/QtTimer.h"

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

// A question's answer is the button pressed; a file name in a text is never
// taken for markup.
TEST(MessageBoxes, QuestionsAreAnsweredYesOrNoAndTextsArePlain)
{
    for (const auto button : {QMessageBox::Yes, QMessageBox::No}) {
        BoxAnswerer answerer(button);
        EXPECT_EQ(korvel::platform::showBox(nullptr, "Q", korvel::link::MessageKind::Question, "<b>fw</b>.hex?"),
                  button == QMessageBox::Yes);
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].format, Qt::PlainText);
    }
}

}  // namespace
