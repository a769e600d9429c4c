#include "cli/CommandGroups.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    int status = 0;
    {
        QCoreApplication app(argc, argv);
        status = quillory::cli::RunCli(argc, argv, std::cout, std::cerr);
    }
#if defined(__SANITIZE_ADDRESS__)
    return status; // the leak check runs at exit
#else
    // Everything the command wrote is closed by now: the process ends without unloading its
    // libraries one by one, which would take longer than many a whole command.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
#endif
}
