#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "CaptionFit.h"
#include "infowindow/FrmInfo.h"

namespace {

// Every text fits its label. A key that yields a character closes the window,
// whether the Close button has the focus or not; keys without one, and Delete,
// leave it open.
TEST(InfoWindow, TextsFitAndKeysWithACharacterCloseItWhereverTheFocusIs)
{
    // Each key with the text the keyboard gives it.
    const std::tuple<Qt::Key, const char*, bool> keys[] = {
        {Qt::Key_Q, "q", true},       {Qt::Key_7, "7", true},          {Qt::Key_Space, " ", true},
        {Qt::Key_Return, "\r", true}, {Qt::Key_Backspace, "\b", true}, {Qt::Key_Left, "", false},
        {Qt::Key_F5, "", false},      {Qt::Key_Shift, "", false},      {Qt::Key_Delete, "\x7f", false},
    };
    korvel::infowindow::FrmInfo window;
    EXPECT_EQ(controlsWithClippedCaptions(window), std::vector<std::string>{});
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* closeButton = window.findChild<QPushButton*>(QStringLiteral("CMdBtnClose"));
    ASSERT_NE(closeButton, nullptr);
    for (const auto& [key, text, closes] : keys) {
        for (const bool buttonHasFocus : {true, false}) {
            SCOPED_TRACE(std::to_string(key) + (buttonHasFocus ? " on Close" : ""));
            window.show();
            buttonHasFocus ? closeButton->setFocus() : closeButton->clearFocus();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
            QApplication::sendEvent(buttonHasFocus ? static_cast<QWidget*>(closeButton) : &window, &press);
            EXPECT_EQ(window.isHidden(), closes);
        }
    }
}

}  // namespace
