#pragma once

#include <QDialog>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace korvel::infowindow {

// The information box: product name, version, the maker's logo, addresses,
// rights notice and disclaimer. It has no title bar and closes on its Close
// button or on any key that produces a character.
class FrmInfo : public QDialog {
    Q_OBJECT

public:
    explicit FrmInfo(QWidget* parent = nullptr);

    // Builds a new window, shows it modally without an owner and returns once
    // it has been closed.
    static void showModal();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void Form_Load();
    void CMdBtnClose_Click();
    // Sees every key press before the focused control does.
    bool Form_KeyPress(const QKeyEvent& event);

    QPushButton* CMdBtnClose = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* ImgLogo = nullptr;
    QLabel* LblProductName1 = nullptr;
    QLabel* LblProductName2 = nullptr;
    QLabel* LblPlatform = nullptr;
    QLabel* LblVersion = nullptr;
    QLabel* LblWeb = nullptr;
    QLabel* LblCopyright = nullptr;
    QLabel* LblCompany = nullptr;
    QLabel* LblWarning = nullptr;
};

}  // namespace korvel::infowindow
