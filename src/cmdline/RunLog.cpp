#include "cmdline/RunLog.h"

#include "base/ForeignText.h"
#include "system/LocalTime.h"

namespace korvel::cmdline {

bool RunLog::open(const std::string& path)
{
    path_ = path;
    return file_.open(path);
}

// Each line is one write, so that a record shared by several benches keeps
// its lines whole.
void RunLog::line(const std::string& text)
{
    if (!file_.isOpen() || failed_)
        return;
    const std::string stamp = system::localTimeText() + " ";
    std::string lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::size_t cut = end > start && text[end - 1] == '\r' ? end - 1 : end;
        lines += stamp + prefix_ + text.substr(start, cut - start) + '\n';
        start = end + 1;
    }
    if (!file_.append(lines)) {
        failed_ = true;
        complain_("AVRBootloaderKorvel: the log " + escapedForeign(path_) + " could not be written: " + reason() +
                  ". The run goes on without it.");
    }
}

}  // namespace korvel::cmdline
