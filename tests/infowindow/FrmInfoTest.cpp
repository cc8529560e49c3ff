#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "CaptionFit.h"
#include "infowindow/FrmInfo.h"

using korvel::FrmInfo;

namespace {

// A key that yields a character closes the window, whether the Close button
// has the focus or not; keys without one leave it open.
TEST(InfoWindow, KeysWithACharacterCloseItWhereverTheFocusIs)
{
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, bool> keys[] = {
        {Qt::Key_Q, Qt::NoModifier, true},         {Qt::Key_Q, Qt::ShiftModifier, true},
        {Qt::Key_7, Qt::NoModifier, true},         {Qt::Key_Period, Qt::NoModifier, true},
        {Qt::Key_Space, Qt::NoModifier, true},     {Qt::Key_Return, Qt::NoModifier, true},
        {Qt::Key_Escape, Qt::NoModifier, true},    {Qt::Key_Backspace, Qt::NoModifier, true},
        {Qt::Key_Left, Qt::NoModifier, false},     {Qt::Key_F5, Qt::NoModifier, false},
        {Qt::Key_Shift, Qt::ShiftModifier, false}, {Qt::Key_Control, Qt::ControlModifier, false},
        {Qt::Key_Delete, Qt::NoModifier, false},
    };
    FrmInfo window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* closeButton = window.findChild<QPushButton*>(QStringLiteral("CMdBtnClose"));
    ASSERT_NE(closeButton, nullptr);
    for (const auto& [key, modifiers, closes] : keys) {
        for (const bool buttonHasFocus : {true, false}) {
            SCOPED_TRACE(std::to_string(key) + (buttonHasFocus ? " on Close" : ""));
            window.show();
            if (buttonHasFocus)
                closeButton->setFocus();
            else
                closeButton->clearFocus();
            QTest::keyClick(buttonHasFocus ? static_cast<QWidget*>(closeButton) : &window, key, modifiers);
            EXPECT_EQ(window.isHidden(), closes);
        }
    }
}

TEST(InfoWindow, EveryTextFitsItsLabel)
{
    FrmInfo window;
    EXPECT_EQ(controlsWithClippedCaptions(window), std::vector<std::string>{});
}

}  // namespace
