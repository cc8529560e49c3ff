#include "HandshakeMeter.h"

#include <algorithm>

#include "link/Protocol.h"

namespace targetsim {

namespace {

namespace protocol = korvel::link::protocol;

}  // namespace

void HandshakeMeter::received(char byte, TimePoint arrival)
{
    if (byte == protocol::kSyncByte) {
        if (lastWasSync_)
            longestSyncInterval_ = std::max(longestSyncInterval_, Nanoseconds(arrival - lastSyncAt_));
        lastWasSync_ = true;
        lastSyncAt_ = arrival;
        if (afterSync_.counting && arrival > afterSync_.since)
            syncBytesAfterAnswer_ = std::max(syncBytesAfterAnswer_, ++afterSync_.count);
    } else {
        lastWasSync_ = false;
        afterSync_.counting = false;
    }
    receivedCall(byte, arrival);
}

// Calls complete with their last byte; anything that cannot be part of a call
// ends the count.
void HandshakeMeter::receivedCall(char byte, TimePoint arrival)
{
    const std::string call = protocol::kHello;
    if (call.find(byte) == std::string::npos) {
        afterHello_.counting = false;
        lastThree_.clear();
        return;
    }
    lastThree_ += byte;
    if (lastThree_.size() > call.size())
        lastThree_.erase(0, 1);
    if (lastThree_ == call && afterHello_.counting && arrival > afterHello_.since)
        callsAfterAnswer_ = std::max(callsAfterAnswer_, ++afterHello_.count);
}

void HandshakeMeter::answered(char first, TimePoint leftAt)
{
    Backlog* backlog = first == protocol::kSyncAnswer    ? &afterSync_
                       : first == protocol::kHelloAnswer ? &afterHello_
                                                         : nullptr;
    if (backlog && !backlog->counting)
        *backlog = {true, leftAt, 0};
}

}  // namespace targetsim
