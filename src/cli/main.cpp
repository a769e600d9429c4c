#include "cli/CommandGroups.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return quillory::cli::RunCli(argc, argv, std::cout, std::cerr);
}
