// port-string, usb list, search: what the port screens show, on the command line.
#include "cli/CommandGroups.h"

#include "port/Communication.h"

#include <CLI/CLI.hpp>

#include <QStringList>

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

int PortString(CliContext& context) {
    return context.WithPort([&](const tagPORTINFO& port) {
        context.out << FormatPortString(port, context.Instruction()).toStdString() << std::endl;
        return kExitOk;
    });
}

int UsbList(CliContext& context) {
    try {
        char buffer[kListBufferSize] = {};
        CConnectionScope usbClass(MakePortInfo(PORT_USBCLASS));
        usbClass->EnumUsbClass(buffer, kListBufferSize);
        for (const QString& name : AtList(buffer))
            context.out << name.toStdString() << '\n';
        CConnectionScope usbApi(MakePortInfo(PORT_USBAPI));
        const int count = usbApi->CountUsbApi();
        for (int number = 1; number <= count; ++number)
            context.out << "QXUSB-" << number << '\n';
    } catch (const CommunicationException& e) {
        context.out.flush();
        return context.PrinterFailure(e.GetErrorCode(), e.Detail());
    }
    context.out.flush();
    return kExitOk;
}

int Search(CliContext& context) {
    QStringList found;
    QStringList failedModes;
    try {
        CConnectionScope connection(MakePortInfo(PORT_NET));
        for (const int mode : {2, 3}) {
            char buffer[kListBufferSize] = {};
            if (connection->SearchNet(buffer, mode, kListBufferSize) < 0) {
                failedModes.append(QString::number(mode));
                continue;
            }
            for (const QString& address : AtList(buffer)) {
                if (!found.contains(address)) {
                    found.append(address);
                    context.out << address.toStdString() << '\n';
                }
            }
        }
    } catch (const CommunicationException& e) {
        context.out.flush();
        return context.PrinterFailure(e.GetErrorCode(), e.Detail());
    }
    context.out.flush();
    if (!failedModes.isEmpty())
        return context.PrinterFailure(
            COMM_FAILED, QStringLiteral("network search mode %1 failed").arg(failedModes.join(u',')));
    return kExitOk;
}

} // namespace

void RegisterPortCommands(CLI::App& app, CliContext& context) {
    app.add_subcommand("port-string", "Print the port string handed to the sibling tools")
        ->callback([&context] { context.action = [&context] { return PortString(context); }; });
    CLI::App* usb = app.add_subcommand("usb", "USB printers");
    usb->require_subcommand(1);
    usb->add_subcommand("list", "List the USB printers (usbapi:N takes the number of QXUSB-N)")
        ->callback([&context] { context.action = [&context] { return UsbList(context); }; });
    app.add_subcommand("search", "Search the network for printers, one address per line")
        ->callback([&context] { context.action = [&context] { return Search(context); }; });
}

} // namespace quillory::cli
