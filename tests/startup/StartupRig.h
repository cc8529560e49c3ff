#pragma once

#include <QByteArray>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <sstream>
#include <vector>

#include "startup/TerminalReport.h"

// A program directory whose ports name no real device, with a settings file
// that is valid whatever ports are listed (or none at all).
class ProgramDir {
public:
    explicit ProgramDir(bool withSettings = true);

    // Gives port 1 the device `path` instead.
    void mapPort1(const QByteArray& path);

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    QString settingsPath() const { return filePath(QStringLiteral("AVRBootloaderKorvel.cfg")); }
    // The settings file's content; "<missing>" when there is none.
    QByteArray settingsContent() const;

    static const QByteArray kSettings;

private:
    void write(const QString& name, const QByteArray& content);
    void writePorts(const QByteArray& port1);

    QTemporaryDir dir_;
};

// A pseudo-terminal whose other end never answers.
class SilentTerminal {
public:
    SilentTerminal();
    ~SilentTerminal();
    SilentTerminal(const SilentTerminal&) = delete;
    SilentTerminal& operator=(const SilentTerminal&) = delete;

    const QByteArray& devicePath() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    QByteArray path_;
};

// The standard streams of one run, in memory; the input is empty.
struct MemoryTerminal {
    korvel::startup::TerminalReport::Streams streams() { return {out, err, in, false, false}; }

    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
};

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    bool mainWindowShown;  // a main window was visible when the box opened
};

// Answers every message box that opens while it lives, as soon as it is
// shown: records it and presses `answer` (or OK where the box has no such
// button).
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);
    ~BoxAnswerer() override;

    const std::vector<SeenBox>& seen() const { return seen_; }
    QStringList texts() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMessageBox::StandardButton answer_;
    std::vector<SeenBox> seen_;
};
