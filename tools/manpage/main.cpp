// korvel-manpage VERSION OUT: writes the manual page AVRBootloaderKorvel(1)
// to OUT, from the same texts that the program's --help shows.
// korvel-manpage --simulator VERSION OUT: writes korvel-targetsim(1) from the
// simulator's usage text.

#include "ManualPage.h"
#include "targetsim/SimOptions.h"

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const bool simulator = argc == 4 && std::string(argv[1]) == "--simulator";
    if (argc != 3 && !simulator) {
        std::cerr << "usage: korvel-manpage [--simulator] VERSION OUT\n";
        return 2;
    }
    const std::string version = argv[argc - 2];
    const char* path = argv[argc - 1];
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << (simulator ? korvel::manpage::simulatorManualPage(version, targetsim::kUsage)
                      : korvel::manpage::manualPage(version));
    out.close();
    if (!out) {
        std::cerr << "korvel-manpage: cannot write " << path << "\n";
        return 1;
    }
    return 0;
}
