#include "PtyPair.h"

#include <QCoreApplication>
#include <QTimer>
#include <climits>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

PtyPair::PtyPair(bool watched)
{
    char path[PATH_MAX] = {};
    if (::openpty(&master_, &slave_, path, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    slavePath_ = path;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (!watched)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { collect(); });
}

PtyPair::~PtyPair()
{
    hangUp();
    ::close(slave_);
}

korvel::platform::PortMap PtyPair::portMap(int number) const
{
    return korvel::platform::PortMap::fromText("COM" + std::to_string(number) + "=" + slavePath_);
}

void PtyPair::send(std::string_view bytes)
{
    if (::write(master_, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        throw std::runtime_error("writing to the pty master failed");
}

const std::string& PtyPair::received()
{
    if (!notifier_ && master_ >= 0)
        collect();
    return received_;
}

void PtyPair::hangUp()
{
    notifier_.reset();
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void PtyPair::collect()
{
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(master_, buffer, sizeof buffer)) > 0)
        received_.append(buffer, std::size_t(count));
}

bool runEventsUntil(const std::function<bool()>& done, int limitMs)
{
    bool timedOut = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&timedOut] { timedOut = true; });
    limit.start(limitMs);
    while (!done() && !timedOut)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}
