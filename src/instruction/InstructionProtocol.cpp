#include "instruction/InstructionProtocol.h"

#include "app/AppPaths.h"
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
