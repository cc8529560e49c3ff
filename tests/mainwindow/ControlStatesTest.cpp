#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "MainWindowRig.h"

namespace {

struct ControlState {
    const char* name;
    bool shownWhenIdle;
    bool enabledWhenIdle;
    bool shownWhenBusy;
    bool enabledWhenBusy;
};

// CmdBtnCanc is left out: idle hides it without touching its enabled state.
const ControlState kStates[] = {
    {"CmdBtnDwl", true, true, false, false},      {"CmdBtnFLASH", true, true, true, false},
    {"CmdBtnEEP", true, true, true, false},       {"CmdBtnInfo", true, true, true, false},
    {"CmdBtnExit", true, true, true, false},      {"CmbBoxCom", true, true, true, false},
    {"FLASHCheck", true, true, true, false},      {"EEPCheck", true, true, true, false},
    {"TxtBoxFLASHFile", true, true, true, false}, {"TxtBoxEEPFile", true, true, true, false},
};

void expectState(MainWindowRig& rig, bool busy)
{
    for (const ControlState& state : kStates) {
        SCOPED_TRACE(state.name);
        QWidget& control = rig.control<QWidget>(state.name);
        EXPECT_EQ(control.isVisibleTo(&rig.window), busy ? state.shownWhenBusy : state.shownWhenIdle);
        EXPECT_EQ(control.isEnabled(), busy ? state.enabledWhenBusy : state.enabledWhenIdle);
    }
    EXPECT_EQ(rig.control<QPushButton>("CmdBtnCanc").isVisibleTo(&rig.window), busy);
    EXPECT_EQ(rig.control<QLabel>("LblExec").text(), busy ? QString() : QStringLiteral("Idle"));
}

class ControlStates : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loadAndShow(rig)); }

    QPushButton& cancel() { return rig.control<QPushButton>("CmdBtnCanc"); }

    MainWindowRig rig{{}, false};
};

TEST_F(ControlStates, BusyAndIdleSwitchTheControls)
{
    rig.window.SetBusyState();
    expectState(rig, true);

    rig.window.lineSentLabel().setText(QStringLiteral("17"));
    rig.window.lineSentLabel().show();
    rig.window.SetIdleState();
    expectState(rig, false);
    EXPECT_TRUE(rig.window.lineSentLabel().isHidden());
    EXPECT_TRUE(rig.window.lineSentLabel().text().isEmpty());
}

TEST_F(ControlStates, CancelRequestsOnceAndBusyStateClearsTheRequest)
{
    rig.window.SetBusyState();
    EXPECT_FALSE(rig.window.isCancelRequested());
    cancel().click();
    EXPECT_TRUE(rig.window.isCancelRequested());
    EXPECT_FALSE(cancel().isEnabled());

    rig.window.SetIdleState();
    EXPECT_TRUE(rig.window.isCancelRequested());
    rig.window.SetBusyState();
    EXPECT_FALSE(rig.window.isCancelRequested());
    EXPECT_TRUE(cancel().isEnabled());
}

TEST_F(ControlStates, EscPressesCancelOnlyWhileBusy)
{
    QTest::keyClick(&rig.window, Qt::Key_Escape);
    EXPECT_FALSE(rig.window.isCancelRequested());

    rig.window.SetBusyState();
    QTest::keyClick(&rig.window, Qt::Key_Escape);
    EXPECT_TRUE(rig.window.isCancelRequested());
    EXPECT_FALSE(cancel().isEnabled());
}

}  // namespace
