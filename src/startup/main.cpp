#include "startup/CmdLine.h"

int main(int argc, char** argv)
{
    return korvel::startup::Main(argc, argv);
}
