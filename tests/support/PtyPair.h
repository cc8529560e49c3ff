#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/PortMap.h"

// A pseudo-terminal: the test plays the far end on the master side, the
// program under test opens the slave device as its serial port.
class PtyPair {
public:
    // Watched: bytes arriving at the master are collected while events run.
    // Unwatched: they wake no event loop and are collected by received() alone.
    explicit PtyPair(bool watched = true);
    ~PtyPair();

    const std::string& slavePath() const { return slavePath_; }
    // A map that gives port `number` the slave device.
    korvel::platform::PortMap portMap(int number) const;

    void send(std::string_view bytes);
    const std::string& received();
    // Closes the master side: the port's device hangs up.
    void hangUp();

private:
    void collect();

    int master_ = -1;
    int slave_ = -1;  // held open so that the master never sees the line hang up
    std::string slavePath_;
    std::string received_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Runs events until `done` holds or, at the latest, `limitMs` have passed.
// Returns whether `done` holds.
bool runEventsUntil(const std::function<bool()>& done, int limitMs = 5000);
