#include <QLabel>
#include <gtest/gtest.h>
#include <set>

#include "../infowindow/CaptionFit.h"
#include "MainWindowRig.h"
#include "infowindow/WindowMeasures.h"
#include "platform/ProgramInfo.h"

namespace {

const char* const kControls[] = {
    "ImgKorvel", "ImgBoardE", "ImgBoardA", "ImgBoardB", "ImgBoardC",  "ImgBoardD",   "FraCom",     "LblCom",
    "CmbBoxCom", "LblBaud",   "LblBitxchr", "LblStopBit", "LblParity", "LblFlow",     "FraFile",    "FLASHCheck",
    "TxtBoxFLASHFile", "CmdBtnFLASH", "EEPCheck", "TxtBoxEEPFile", "CmdBtnEEP", "CmdBtnDwl", "CmdBtnCanc", "Line1",
    "Line2", "Line3", "Line4", "LblStatus", "LblExec", "LblLineSent", "LblFwVer", "CmdBtnInfo", "CmdBtnExit",
    "LblCmdLin",
};

std::set<std::string> shownControls(MainWindowRig& rig)
{
    std::set<std::string> shown;
    for (const char* name : kControls) {
        if (rig.control<QWidget>(name).isVisibleTo(&rig.window))
            shown.insert(name);
    }
    return shown;
}

std::set<std::string> allControlsBut(std::set<std::string> left_out)
{
    std::set<std::string> controls;
    for (const char* name : kControls) {
        if (!left_out.count(name))
            controls.insert(name);
    }
    return controls;
}

TEST(MainWindowArrangement, OnlyTheLogoShowsBeforeLoading)
{
    MainWindowRig rig({}, false);
    EXPECT_EQ(shownControls(rig), std::set<std::string>{"ImgKorvel"});
}

TEST(MainWindowArrangement, InteractiveShowsEverythingButCancelCountAndLog)
{
    MainWindowRig rig({}, false);
    rig.window.Form_Load();
    EXPECT_EQ(shownControls(rig), allControlsBut({"CmdBtnCanc", "LblLineSent", "LblCmdLin"}));
    EXPECT_EQ(rig.control<QLabel>("LblExec").text(), QStringLiteral("Idle"));
}

TEST(MainWindowArrangement, CommandLineIsACompactLogUnderTheLogo)
{
    using korvel::windows::px;
    MainWindowRig rig({}, true);
    rig.window.Form_Load();
    EXPECT_EQ(shownControls(rig), (std::set<std::string>{"ImgKorvel", "LblCmdLin"}));
    EXPECT_EQ(rig.window.height(), 140);
    EXPECT_EQ(rig.window.commandLineLog().width(), px(5500));
    EXPECT_EQ(rig.window.lineSentLabel().y(), px(920));
}

TEST(MainWindowArrangement, CaptionEndsInTheVersion)
{
    MainWindowRig rig({}, false);
    rig.window.Form_Load();
    EXPECT_EQ(rig.window.caption(), QStringLiteral("AVR Bootloader Korvel(r) - V %1.%2")
                                        .arg(korvel::kVersionMajor)
                                        .arg(korvel::kVersionMinor));
}

TEST(MainWindowArrangement, EveryCaptionFitsItsControl)
{
    MainWindowRig rig({}, false);
    rig.window.Form_Load();
    EXPECT_EQ(controlsWithClippedCaptions(rig.window), std::vector<std::string>{});
}

}  // namespace
