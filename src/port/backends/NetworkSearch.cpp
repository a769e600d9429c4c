#include "port/backends/NetworkSearch.h"

#include "app/ProgramModule.h"
#include "port/Communication.h"

#include <atomic>

namespace quillory {
namespace {

std::atomic<NetworkSearchFunction> gRegisteredSearch{nullptr};

NetworkSearchFunction Search() {
    if (const NetworkSearchFunction registered = gRegisteredSearch.load())
        return registered;
    static const ProgramModuleEntry loaded =
        LoadProgramModule(QStringLiteral(QUILLORY_SEARCH_MODULE), QUILLORY_SEARCH_ENTRY);
    if (!loaded.entry)
        throw CommunicationException(COMM_UNAVAILABLE, QStringLiteral("network search: ") + loaded.problem);
    return reinterpret_cast<NetworkSearchFunction>(loaded.entry);
}

} // namespace

void SetNetworkSearch(NetworkSearchFunction search) {
    gRegisteredSearch.store(search);
}

QList<FoundPrinter> FindNetworkPrinters(int mode) {
    QList<FoundPrinter> found;
    QString error;
    if (const int code = Search()(mode, &found, &error); code != 0)
        throw CommunicationException(tagCOMMUNICATIONEXCEPTION(code), error);
    return found;
}

QStringList SearchNetworkPrinters(int mode) {
    return AddressesOf(FindNetworkPrinters(mode));
}

} // namespace quillory
