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

// The kind of a message gives its icon and buttons; a file name in the text
// is never taken for markup.
TEST(MessageBoxes, KindGivesIconAndButtons)
{
    using korvel::link::MessageKind;
    const std::tuple<MessageKind, QMessageBox::Icon, QMessageBox::StandardButtons> rows[] = {
        {MessageKind::Information, QMessageBox::NoIcon, QMessageBox::Ok},
        {MessageKind::Success, QMessageBox::NoIcon, QMessageBox::Ok},
        {MessageKind::Warning, QMessageBox::Warning, QMessageBox::Ok},
        {MessageKind::Question, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No},
    };
    for (const auto& [kind, icon, buttons] : rows) {
        BoxAnswerer answerer(QMessageBox::Yes);
        const bool yes = korvel::platform::showBox(nullptr, "Title", kind, "Error opening <b>fw</b>.hex.");
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].title, "Title");
        EXPECT_EQ(answerer.seen()[0].text, "Error opening <b>fw</b>.hex.");
        EXPECT_EQ(answerer.seen()[0].icon, icon);
        EXPECT_EQ(answerer.seen()[0].buttons, buttons);
        EXPECT_EQ(answerer.seen()[0].format, Qt::PlainText);
        EXPECT_EQ(yes, kind == MessageKind::Question);
    }
    BoxAnswerer no(QMessageBox::No);
    EXPECT_FALSE(korvel::platform::showBox(nullptr, "Q", MessageKind::Question, "Continue with download?"));
}

}  // namespace
