#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quillory {

// One printer of a fleet inventory.
struct InventoryEntry {
    QString name;
    QString address; // as --port takes it
    int instructionIndex = -1;
    int line = 0; // 1-based line of the inventory file
};

struct Inventory {
    std::vector<InventoryEntry> printers;
    QStringList errors; // "inventory.txt:4: ..." one per malformed line
    [[nodiscard]] bool Ok() const { return errors.isEmpty(); }
};

// Checks an address text; returns why it is not one, empty when it is.
using AddressCheck = std::function<QString(const QString& address)>;

// An inventory text: one printer a line as "NAME ADDRESS LANGUAGE" separated by white space, "#"
// starting a comment, blank lines ignored. Names must be unique and may hold letters, digits,
// ".", "_" and "-" only, since each names a snapshot folder. fileName prefixes the errors.
[[nodiscard]] Inventory ParseInventory(const QByteArray& text, const QString& fileName,
                                       const AddressCheck& check);

} // namespace quillory
