// The windows on Windows: an interactive session always has its desktop, and
// Qt opens it without fail.
#include "startup/WindowSystem.h"

namespace korvel::startup {

WindowSystem::WindowSystem(char* programPath) : qtArgv_{programPath, nullptr}, qtArgc_(1)
{
    application_ = std::make_unique<QApplication>(qtArgc_, qtArgv_.data());
}

}  // namespace korvel::startup
