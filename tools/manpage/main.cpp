// korvel-manpage VERSION OUT: writes the manual page AVRBootloaderKorvel(1)
// to OUT, from the same texts that the program's --help shows.

#include "ManualPage.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: korvel-manpage VERSION OUT\n";
        return 2;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << korvel::manpage::manualPage(argv[1]);
    out.close();
    if (!out) {
        std::cerr << "korvel-manpage: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
