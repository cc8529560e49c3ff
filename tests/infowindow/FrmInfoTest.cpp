#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "CaptionFit.h"
#include "infowindow/FrmInfo.h"
#include "infowindow/WindowMeasures.h"

using korvel::FrmInfo;

namespace {

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool closes;
};

const KeyCase kKeys[] = {
    {"letter", Qt::Key_Q, Qt::NoModifier, true},
    {"capital letter", Qt::Key_Q, Qt::ShiftModifier, true},
    {"digit", Qt::Key_7, Qt::NoModifier, true},
    {"punctuation", Qt::Key_Period, Qt::NoModifier, true},
    {"space", Qt::Key_Space, Qt::NoModifier, true},
    {"Enter", Qt::Key_Return, Qt::NoModifier, true},
    {"Esc", Qt::Key_Escape, Qt::NoModifier, true},
    {"Backspace", Qt::Key_Backspace, Qt::NoModifier, true},
    {"arrow", Qt::Key_Left, Qt::NoModifier, false},
    {"function key", Qt::Key_F5, Qt::NoModifier, false},
    {"Shift alone", Qt::Key_Shift, Qt::ShiftModifier, false},
    {"Ctrl alone", Qt::Key_Control, Qt::ControlModifier, false},
    {"Alt alone", Qt::Key_Alt, Qt::AltModifier, false},
    {"Delete", Qt::Key_Delete, Qt::NoModifier, false},
};

class ShownInfoWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QPushButton* closeButton() { return window.findChild<QPushButton*>(QStringLiteral("CMdBtnClose")); }

    FrmInfo window;
};

TEST_F(ShownInfoWindow, KeysWithACharacterCloseItWhereverTheFocusIs)
{
    for (const KeyCase& key : kKeys) {
        for (const bool buttonHasFocus : {true, false}) {
            SCOPED_TRACE(std::string(key.name) + (buttonHasFocus ? ", focus on Close" : ", no focus"));
            window.show();
            if (buttonHasFocus)
                closeButton()->setFocus();
            else
                closeButton()->clearFocus();
            QWidget* target = buttonHasFocus ? static_cast<QWidget*>(closeButton()) : &window;
            QTest::keyClick(target, key.key, key.modifiers);
            EXPECT_EQ(window.isHidden(), key.closes);
        }
    }
}

TEST_F(ShownInfoWindow, AltCClosesItThroughTheCloseButton)
{
    QSignalSpy clicks(closeButton(), &QPushButton::clicked);
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    // An access key presses the button visibly: the click follows a moment later.
    EXPECT_TRUE(QTest::qWaitFor([this] { return window.isHidden(); }, 5000));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(InfoWindow, VersionNumbersAreNotPadded)
{
    EXPECT_EQ(korvel::windows::versionNumberText(1, 21), QStringLiteral("1.21"));
    EXPECT_EQ(korvel::windows::versionNumberText(1, 5), QStringLiteral("1.5"));
    EXPECT_EQ(korvel::windows::versionNumberText(2, 5), QStringLiteral("2.5"));
}

TEST(InfoWindow, EveryTextFitsItsLabel)
{
    FrmInfo window;
    EXPECT_EQ(controlsWithClippedCaptions(window), std::vector<std::string>{});
}

TEST(InfoWindow, ModalOpeningReturnsOnceAKeyClosedIt)
{
    // The window of each opening is found while it is modal and closed by a key.
    int openings = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&openings] {
        if (auto* shown = qobject_cast<FrmInfo*>(QApplication::activeModalWidget())) {
            ++openings;
            QTest::keyClick(shown, Qt::Key_A);
        }
    });
    closer.start(10);
    FrmInfo::showModal();
    FrmInfo::showModal();
    EXPECT_EQ(openings, 2);
}

}  // namespace
