#include "instruction/InstructionProtocol.h"

#include "app/AppPaths.h"
#include "instruction/BackupFiles.h"
#include "instruction/VKLAInstruction.h"
#include "instruction/VKLCInstruction.h"
#include "instruction/VKLEInstruction.h"
#include "instruction/VKLTInstruction.h"
#include "instruction/VKLZInstruction.h"

namespace quillory {

CInstructionProtocol::~CInstructionProtocol() = default;

QString CInstructionProtocol::BackupFilePath() const {
    const QString folder = EepromBackupFolder();
    if (folder.isEmpty())
        return {};
    return folder + QLatin1Char('/') + InstructionName(InstructionIndex()) + QStringLiteral(".eep");
}

QString CInstructionProtocol::SettingsBackupFilePath() const {
    const QString folder = EepromBackupFolder();
    if (folder.isEmpty())
        return {};
    return folder + QLatin1Char('/') + InstructionName(InstructionIndex()) + QLatin1Char('.') +
           SettingsFileExtension(InstructionIndex());
}

int CInstructionProtocol::ReadEepromOnly(tagPORTINFO port) {
    m_keepBackup = false;
    const int result = BackupEeprom(port);
    m_keepBackup = true;
    return result;
}

int CInstructionProtocol::KeepEepromBackup() {
    if (!m_keepBackup)
        return 0;
    const QString backup = BackupFilePath();
    if (backup.isEmpty() ||
        !KeepBackup(backup, [this](const QString& path) { return SaveEepromFile(path) == 1; }))
        return COMM_CREATE_FILE;
    return 0;
}

std::unique_ptr<CInstructionProtocol> MakeInstruction(int instructionIndex) {
    switch (instructionIndex) {
    case 0:
        return std::make_unique<CVKLZInstruction>();
    case 1:
        return std::make_unique<CVKLEInstruction>();
    case 2:
        return std::make_unique<CVKLTInstruction>();
    case 3:
        return std::make_unique<CVKLAInstruction>();
    case 4:
        return std::make_unique<CVKLCInstruction>();
    default:
        return nullptr;
    }
}

CInstructionProtocol* CreateInstruction(InstructionHolder& holder) {
    holder.object.reset();
    holder.object = MakeInstruction(holder.instructionIndex);
    return holder.object.get();
}

void DestroyInstruction(InstructionHolder& holder) {
    holder.object.reset();
}

} // namespace quillory
