#include "tools/Maintenance.h"

#include "app/AppPaths.h"
#include "app/AppSettings.h"
#include "instruction/Exchange.h"

#include <QFile>
#include <QFileInfo>

namespace quillory {

const std::array<MaintenanceRow, kMaintenanceCount>& MaintenanceTable() {
    using P = CInstructionProtocol;
    // Offered by: VKLZ, VKLE, VKLT, VKLA, VKLC.
    static constexpr std::array<MaintenanceRow, kMaintenanceCount> table{{
        {MAINT_SELF_TEST, &P::PrintSelfTest, {true, true, true, true, true}},
        {MAINT_FONT_LIST,
         &P::PrintFontList,
         {true, true, false, false, false},
         {false, false, false, true, false}},
        {MAINT_GRAPHIC_LIST,
         &P::PrintGraphicList,
         {true, true, false, false, false},
         {false, false, false, true, false}},
        {MAINT_FORM_LIST, &P::PrintFormList, {true, true, false, false, false}},
        {MAINT_FEED, &P::FeedLabel, {true, false, true, true, true}},
        {MAINT_CALIBRATE, &P::CalibrateMedia, {true, true, true, true, true}},
        {MAINT_FACTORY_RESET, &P::RestoreFactory, {true, true, true, false, true}},
        {MAINT_RESTART, &P::RestartPrinter, {true, true, true, true, true}},
        {MAINT_DUMP_ON, &P::EnterDumpMode, {true, true, true, false, true}},
        {MAINT_DUMP_OFF, &P::ExitDumpMode, {true, false, false, false, true}},
        {MAINT_AUTO_OFF, &P::ExitAutoMode, {false, true, false, false, false}},
    }};
    return table;
}

namespace {

// The page treats an index it does not know as VKLC, and so does everything it runs.
int KnownInstruction(int instructionIndex) {
    return instructionIndex >= INSTRUCTION_VKLZ && instructionIndex <= INSTRUCTION_VKLC ? instructionIndex
                                                                                        : INSTRUCTION_VKLC;
}

} // namespace

bool MaintenanceOffered(int operation, int instructionIndex) {
    if (operation < 0 || operation >= kMaintenanceCount)
        return false;
    return MaintenanceTable()[std::size_t(operation)]
        .offered[std::size_t(KnownInstruction(instructionIndex))];
}

bool MaintenanceNeedsReply(int operation, int instructionIndex) {
    if (operation < 0 || operation >= kMaintenanceCount)
        return false;
    return MaintenanceTable()[std::size_t(operation)]
        .needsReply[std::size_t(KnownInstruction(instructionIndex))];
}

int RunMaintenance(int operation, int instructionIndex, const tagPORTINFO& port) {
    if (operation < 0 || operation >= kMaintenanceCount)
        return COMM_BAD_PARAMETER;
    InstructionHolder holder{KnownInstruction(instructionIndex), nullptr};
    CInstructionProtocol* instruction = CreateInstruction(holder);
    if (!instruction)
        return COMM_BAD_PARAMETER;
    const int code = (instruction->*MaintenanceTable()[std::size_t(operation)].run)(port);
    DestroyInstruction(holder);
    return code;
}

QString SampleFolderName(int instructionIndex) {
    return InstructionName(KnownInstruction(instructionIndex));
}

QString SampleFilePath(const QString& label, int instructionIndex) {
    return ResourcePath(QStringLiteral("Sample/%1/%2.dat").arg(SampleFolderName(instructionIndex), label));
}

std::optional<QByteArray> ReadSampleFile(const QString& path) {
    if (QFileInfo(path).isDir())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSampleFileBytes)
        return std::nullopt;
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return content;
}

int SendTestLabel(const QByteArray& content, const tagPORTINFO& port) {
    return RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        x.Write(content);
    });
}

} // namespace quillory
