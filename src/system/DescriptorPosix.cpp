#include "system/Descriptor.h"

#include <unistd.h>

namespace korvel::system {

Descriptor::~Descriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace korvel::system
