#include "fleet/Inventory.h"

#include "port/PortInfo.h"

#include <QRegularExpression>
#include <QSet>

namespace quillory {
namespace {

int LanguageOfName(const QString& name) {
    for (int i = 0; i <= 4; ++i)
        if (InstructionName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

Inventory ParseInventory(const QByteArray& text, const QString& fileName, const AddressCheck& check) {
    Inventory inventory;
    static const QRegularExpression kName(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9._-]{0,63}$"));
    QSet<QString> names;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        const auto fail = [&](const QString& why) {
            inventory.errors << QStringLiteral("%1:%2: %3").arg(fileName).arg(number).arg(why);
        };
        QString line = QString::fromUtf8(lines[i]);
        if (const qsizetype hash = line.indexOf(u'#'); hash >= 0)
            line.truncate(hash);
        const QStringList fields = line.simplified().split(u' ', Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        if (fields.size() != 3) {
            fail(QStringLiteral("expected NAME ADDRESS LANGUAGE, found %1 field%2")
                     .arg(fields.size())
                     .arg(fields.size() == 1 ? "" : "s"));
            continue;
        }
        InventoryEntry entry{fields[0], fields[1], LanguageOfName(fields[2]), number};
        if (!kName.match(entry.name).hasMatch()) {
            fail(QStringLiteral("the name \"%1\" may hold only letters, digits, \".\", \"_\" and \"-\"")
                     .arg(entry.name));
            continue;
        }
        if (names.contains(entry.name)) {
            fail(QStringLiteral("the name \"%1\" is already used on an earlier line").arg(entry.name));
            continue;
        }
        if (entry.instructionIndex < 0) {
            fail(QStringLiteral("unknown command language \"%1\" (VKLZ, VKLE, VKLT, VKLA, VKLC)")
                     .arg(fields[2]));
            continue;
        }
        if (check) {
            if (const QString why = check(entry.address); !why.isEmpty()) {
                fail(QStringLiteral("\"%1\" is not a port address: %2").arg(entry.address, why));
                continue;
            }
        }
        names.insert(entry.name);
        inventory.printers.push_back(entry);
    }
    return inventory;
}

} // namespace quillory
