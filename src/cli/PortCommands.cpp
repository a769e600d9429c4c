// port-string, usb list, search: what the port screens show, on the command line.
#include "cli/CommandGroups.h"
#include "cli/CommandOutput.h"

#include "app/PrinterText.h"
#include "port/Communication.h"
#include "port/backends/NetworkSearch.h"

#include <CLI/CLI.hpp>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <ostream>

namespace quillory::cli {
namespace {

// The "@"-ended names of a list buffer, up to its first zero byte.
QStringList AtList(const char* buffer) {
    QStringList names;
    for (const QString& name : QString::fromLocal8Bit(buffer).split(QLatin1Char('@'))) {
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

void PrintJson(std::ostream& out, const QJsonDocument& document) {
    PrintJsonLine(out, document);
}

int PortString(CliContext& context, bool json) {
    return context.WithPort([&](const tagPORTINFO& port) {
        const QString text = FormatPortString(port, context.Instruction());
        if (json)
            PrintJson(context.out, QJsonDocument(QJsonObject{{QStringLiteral("portString"), text}}));
        else
            context.out << text.toStdString() << std::endl;
        return kExitOk;
    });
}

int UsbList(CliContext& context, bool json) {
    // Each printer with the --port value that reaches it.
    QJsonArray printers;
    const auto printNames = [&context, &printers] {
        for (const QJsonValue& printer : printers)
            context.out << EscapePrinterText(printer[QLatin1String("name")].toString()).toStdString() << '\n';
        context.out.flush();
    };
    try {
        char buffer[kListBufferSize] = {};
        CConnectionScope usbClass(MakePortInfo(PORT_USBCLASS));
        usbClass->EnumUsbClass(buffer, kListBufferSize);
        for (const QString& name : AtList(buffer))
            printers.append(QJsonObject{{QStringLiteral("port"), QStringLiteral("usb:") + name},
                                        {QStringLiteral("name"), name}});
        CConnectionScope usbApi(MakePortInfo(PORT_USBAPI));
        const int count = usbApi->CountUsbApi();
        for (int number = 1; number <= count; ++number)
            printers.append(QJsonObject{{QStringLiteral("port"), QStringLiteral("usbapi:%1").arg(number)},
                                        {QStringLiteral("name"), QStringLiteral("QXUSB-%1").arg(number)}});
    } catch (const CommunicationException& e) {
        // Lines already found are still worth printing; a JSON document is whole or nothing.
        if (!json)
            printNames();
        return context.PrinterFailure(e.GetErrorCode(), e.Detail());
    }
    if (json)
        PrintJson(context.out, QJsonDocument(printers));
    else
        printNames();
    return kExitOk;
}

// The --port value of a printer the search found.
QString NetAddress(const FoundPrinter& printer) {
    return QStringLiteral("net:%1:%2").arg(printer.address).arg(printer.port);
}

int Search(CliContext& context, bool json) {
    QList<FoundPrinter> found;
    try {
        for (const int mode : {kSearchSnmp, kSearchDnsSd}) {
            for (const FoundPrinter& printer : FindNetworkPrinters(mode)) {
                auto same = std::find_if(found.begin(), found.end(), [&printer](const FoundPrinter& known) {
                    return known.address == printer.address;
                });
                if (same == found.end()) {
                    found.append(printer);
                    continue;
                }
                // SNMP names no TCP port; a DNS-SD answer does.
                if (mode == kSearchDnsSd)
                    same->port = printer.port;
                if (same->description.isEmpty())
                    same->description = printer.description;
            }
        }
    } catch (const CommunicationException& e) {
        return context.PrinterFailure(e.GetErrorCode(), e.Detail());
    }
    if (json) {
        QJsonArray list;
        for (const FoundPrinter& printer : found)
            list.append(QJsonObject{{QStringLiteral("port"), NetAddress(printer)},
                                    {QStringLiteral("host"), printer.address},
                                    {QStringLiteral("tcpPort"), int(printer.port)},
                                    {QStringLiteral("description"), printer.description}});
        PrintJson(context.out, QJsonDocument(list));
        return kExitOk;
    }
    // The address and the description, separated by a tab; the description is on one line.
    for (const FoundPrinter& printer : found) {
        context.out << NetAddress(printer).toStdString();
        if (!printer.description.isEmpty())
            context.out << '\t' << EscapePrinterText(printer.description).toStdString();
        context.out << '\n';
    }
    context.out.flush();
    return kExitOk;
}

// A subcommand whose work takes a --json flag.
void AddJsonCommand(CLI::App& parent, CliContext& context, const char* name, const char* help,
                    int (*work)(CliContext&, bool)) {
    auto json = std::make_shared<bool>(false);
    CLI::App* command = parent.add_subcommand(name, help);
    command->add_flag("--json", *json, "Print JSON instead of lines of text");
    command->callback(
        [&context, json, work] { context.action = [&context, json, work] { return work(context, *json); }; });
}

} // namespace

void RegisterPortCommands(CLI::App& app, CliContext& context) {
    AddJsonCommand(app, context, "port-string", "Print the port string handed to the sibling tools",
                   PortString);
    CLI::App* usb = app.add_subcommand("usb", "USB printers");
    usb->require_subcommand(1);
    AddJsonCommand(*usb, context, "list", "List the USB printers (usbapi:N takes the number of QXUSB-N)",
                   UsbList);
    AddJsonCommand(app, context, "search",
                   "Search the network for printers: the --port address and the description of each", Search);
}

} // namespace quillory::cli
