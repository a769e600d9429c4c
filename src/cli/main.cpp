#include "app/AppSettings.h"
#include "port/PortInfo.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CLI::App cli{"Quillory command line"};
    cli.require_subcommand(1);
    auto* portString = cli.add_subcommand("port-string", "Print the port string of the saved port");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 64;
    }
    if (*portString) {
        std::cout
            << quillory::FormatPortString(quillory::ReadPortInfo(), quillory::ReadInstruction()).toStdString()
            << '\n';
    }
    return 0;
}
