#include "instruction/WriteCheck.h"

#include "app/LanguageTexts.h"
#include "eeprom/EepromDiff.h"
#include "instruction/BackupFiles.h"
#include "instruction/VKLAInstruction.h"
#include "port/PortAbilities.h"
#include "settings/SettingsRanges.h"

#include <QFileInfo>

#include <variant>

namespace quillory {
namespace {

// VKLA keeps the offsets as 16-bit words: -5 goes out and comes back as 65531.
void AsVklaWords(SettingsRecord& record) {
    if (auto* vkla = std::get_if<VKLASettings>(&record)) {
        for (int* offset :
             {&vkla->TearPaperPosition, &vkla->HoriPrintPositionOffset, &vkla->VertPrintPositionOffset})
            *offset &= 0xFFFF;
    }
}

WriteCheck FromComparison(const Comparison& comparison) {
    WriteCheck check;
    for (const FieldDifference& d : comparison.differences) {
        if (d.written)
            check.differences.push_back(d);
    }
    return check;
}

} // namespace

WriteCheck CheckSettings(const SettingsRecord& written, const SettingsRecord& readBack, int languageIndex) {
    SettingsRecord sent = written;
    SettingsRecord back = readBack;
    AsVklaWords(sent);
    AsVklaWords(back);
    // What a read reports the printer cannot tell back: the clock runs on, and VKLE reports the
    // character width it was sent (BitData) only as 7-bit or not.
    QStringList unreadable;
    std::visit(
        [&](auto& r) {
            if constexpr (requires { r.SetClock; }) {
                if (r.SetClock != 0)
                    unreadable << QStringLiteral("SetClock");
            }
            if constexpr (requires { r.BitData; }) {
                unreadable << QStringLiteral("BitData");
                std::get<std::decay_t<decltype(r)>>(back).BitData = r.BitData;
            }
        },
        sent);
    WriteCheck check = FromComparison(CompareSettings(sent, back, languageIndex));
    check.notVerifiable = unreadable;
    return check;
}

WriteCheck CheckSettingsWrite(const CInstructionProtocol& written, const tagPORTINFO& port, int languageIndex,
                              SettingsRecord* readBack) {
    const std::unique_ptr<CInstructionProtocol> reader = MakeInstruction(written.InstructionIndex());
    WriteCheck check;
    check.code = reader->ReadSettings(port);
    if (check.code != 0)
        return check;
    if (readBack)
        *readBack = reader->GetSettingsRecord();
    return CheckSettings(written.GetSettingsRecord(), reader->GetSettingsRecord(), languageIndex);
}

WriteCheck CheckEepromWrite(const CInstructionProtocol& written, const tagPORTINFO& port, int languageIndex) {
    const int index = written.InstructionIndex();
    const std::unique_ptr<CInstructionProtocol> reader = MakeInstruction(index);
    WriteCheck check;
    check.code = reader->ReadEepromOnly(port);
    if (check.code != 0)
        return check;
    QByteArray writtenId, readId;
    if (const auto* vkla = dynamic_cast<const CVKLAInstruction*>(&written)) {
        writtenId = vkla->GetIdText().toLocal8Bit();
        readId = static_cast<const CVKLAInstruction&>(*reader).GetIdText().toLocal8Bit();
    }
    const std::vector<std::uint16_t> sent = written.GetEepromImage();
    const std::vector<std::uint16_t> back = reader->GetEepromImage();
    return FromComparison(CompareEeprom(EepromValuesOfImage(index, sent, writtenId),
                                        EepromValuesOfImage(index, back, readId), languageIndex));
}

int ApplySettingsKeepingBackup(CInstructionProtocol& object, const tagPORTINFO& port,
                               const std::optional<SettingsRecord>& lastRead, bool* kept) {
    if (kept)
        *kept = false;
    if (lastRead || PortCanRead(port)) {
        const std::unique_ptr<CInstructionProtocol> current = MakeInstruction(object.InstructionIndex());
        if (lastRead)
            current->SetSettingsRecord(*lastRead);
        else if (const int code = current->ReadSettings(port))
            return code;
        const QString path = object.SettingsBackupFilePath();
        if (path.isEmpty() ||
            !KeepBackup(path, [&](const QString& p) { return current->SaveSettingsFile(p) == 1; }))
            return COMM_CREATE_FILE;
        if (kept)
            *kept = true;
    }
    return object.ApplySettings(port);
}

bool LoadSettingsBackup(CInstructionProtocol& object, const QString& path, int languageIndex, QString* why) {
    const int index = object.InstructionIndex();
    const SettingsFileVerdict verdict = CheckSettingsFile(path, index);
    if (!verdict.Ok()) {
        *why = SettingsFileVerdictText(verdict, path, index, languageIndex);
        return false;
    }
    const SettingsRecord before = object.GetSettingsRecord();
    if (object.LoadSettingsFile(path) != 1) {
        *why = FormatMessageText("FileReadFail", languageIndex, {path});
        return false;
    }
    const std::vector<SettingViolation> violations = FindRangeViolations(object.GetSettingsRecord());
    if (!violations.empty()) {
        QStringList lines;
        for (const SettingViolation& v : violations)
            lines << ViolationText(v, path, languageIndex);
        object.SetSettingsRecord(before);
        *why = lines.join(u'\n');
        return false;
    }
    return true;
}

QString WriteCheckText(const WriteCheck& check, int language) {
    QStringList parts;
    if (check.code != 0) {
        const char* key = CommErrorMessageKey(check.code);
        parts << FormatMessageText("WriteCheckFailed", language,
                                   {GetMessageText(key ? key : "CommunicationFail", language)});
    } else if (check.differences.empty())
        parts << GetMessageText("WriteVerified", language);
    else {
        QStringList lines;
        for (const FieldDifference& d : check.differences) {
            const QString field =
                d.caption.isEmpty() ? d.key : QStringLiteral("%1 (%2)").arg(d.caption, d.key);
            lines << FormatMessageText("WriteDifferenceLine", language, {field, d.left, d.right});
        }
        parts << FormatMessageText("WriteNotTaken", language, {lines.join(u'\n')});
    }
    if (!check.notVerifiable.isEmpty())
        parts << FormatMessageText("WriteNotVerifiable", language,
                                   {check.notVerifiable.join(QStringLiteral(", "))});
    return parts.join(u'\n');
}

} // namespace quillory
