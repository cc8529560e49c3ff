#include "PtyTarget.h"

#include <climits>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

PtyTarget::PtyTarget()
{
    char path[PATH_MAX] = {};
    if (::openpty(&master_, &slave_, path, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    devicePath_ = path;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { collect(); });
}

PtyTarget::~PtyTarget()
{
    notifier_.reset();
    ::close(master_);
    ::close(slave_);
}

void PtyTarget::answerHandshake(std::string answer)
{
    handshakeAnswer_ = std::move(answer);
}

void PtyTarget::collect()
{
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(master_, buffer, sizeof buffer)) > 0)
        received_.append(buffer, std::size_t(count));
    if (handshakeAnswer_.empty())
        return;
    if (!answeredSync_ && received_.find('\x55') != std::string::npos) {
        answeredSync_ = true;
        send("$");
    }
    if (!answeredVersion_ && received_.find("@&$") != std::string::npos) {
        answeredVersion_ = true;
        send(handshakeAnswer_);
    }
}

void PtyTarget::send(const std::string& bytes)
{
    if (::write(master_, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        throw std::runtime_error("writing to the pty master failed");
}
