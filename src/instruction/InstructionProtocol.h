#pragma once

#include "port/PortInfo.h"
#include "settings/PrintSettings.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace quillory {

// What ReadNetworkSettings reports: addresses most significant byte first, and a port field.
struct NetworkSettings {
    std::array<std::uint8_t, 4> ipAddress{};
    std::array<std::uint8_t, 4> subnetMask{};
    std::array<std::uint8_t, 4> gateway{};
    std::int32_t port = 0;
};

// One printer command language. Every operation that talks to the printer is one self-contained
// exchange: it opens its own connection for the given port, sends, reads, closes, and returns 0
// or the error code (3 when the printer's reply is not what the operation expects). The object
// keeps the print-settings record, the EEPROM image and the parameter array between operations.
// The twenty operations are declared in their fixed order.
class CInstructionProtocol {
public:
    virtual ~CInstructionProtocol();

    virtual int PrintSelfTest(tagPORTINFO port) = 0;
    virtual int PrintFontList(tagPORTINFO port) = 0;
    virtual int PrintGraphicList(tagPORTINFO port) = 0;
    virtual int PrintFormList(tagPORTINFO port) = 0;
    virtual int FeedLabel(tagPORTINFO port) = 0;
    virtual int CalibrateMedia(tagPORTINFO port) = 0;
    virtual int RestoreFactory(tagPORTINFO port) = 0;
    virtual int RestartPrinter(tagPORTINFO port) = 0;
    virtual int EnterDumpMode(tagPORTINFO port) = 0;
    virtual int ExitDumpMode(tagPORTINFO port) = 0;
    virtual int ExitAutoMode(tagPORTINFO port) = 0;
    // VKLC, VKLE, VKLT and VKLZ let a CommunicationException through (after closing).
    virtual NetworkSettings ReadNetworkSettings(tagPORTINFO port) = 0;
    virtual int ReadSettings(tagPORTINFO port) = 0;
    virtual int ApplySettings(tagPORTINFO port) = 0;
    // File operations return 1 on success, 0 when the file cannot be written or opened.
    virtual int SaveSettingsFile(const QString& path) = 0;
    virtual int LoadSettingsFile(const QString& path) = 0;
    virtual int SaveEepromFile(const QString& path) = 0;
    virtual int LoadEepromFile(const QString& path) = 0;
    // Reads the whole EEPROM, decodes it and refreshes the language's backup file.
    virtual int BackupEeprom(tagPORTINFO port) = 0;
    virtual int WriteEeprom(tagPORTINFO port) = 0;

    // 0 VKLZ, 1 VKLE, 2 VKLT, 3 VKLA, 4 VKLC.
    [[nodiscard]] virtual int InstructionIndex() const = 0;
    // The record of this language, texts included, for code that handles every language alike.
    [[nodiscard]] virtual SettingsRecord GetSettingsRecord() const = 0;
    // Replaces the record; false (and nothing changes) for a record of another language.
    virtual bool SetSettingsRecord(const SettingsRecord& record) = 0;
    [[nodiscard]] virtual std::vector<int> GetParameters() const = 0;
    // Replaces the parameter array; entries beyond the given ones keep their values.
    virtual void SetParameters(const std::vector<int>& parameters) = 0;
    [[nodiscard]] virtual std::vector<std::uint16_t> GetEepromImage() const = 0;

    // Where BackupEeprom keeps this language's backup ("EEPbak/VKLZ.eep" ...); empty when no
    // backup folder can be created.
    [[nodiscard]] QString BackupFilePath() const;
    // Where the printer's settings are kept before each settings Apply ("EEPbak/VKLZ.VKLZSET" ...).
    [[nodiscard]] QString SettingsBackupFilePath() const;

    // Reads the whole EEPROM into the object as BackupEeprom does, but leaves the backup files
    // alone: a read that checks a write must not replace the backup taken before it.
    int ReadEepromOnly(tagPORTINFO port);

protected:
    // Makes the object's EEPROM image the newest backup (older ones are kept); 0, or
    // COMM_CREATE_FILE when it cannot be written. Does nothing inside ReadEepromOnly.
    [[nodiscard]] int KeepEepromBackup();

private:
    bool m_keepBackup = true;
};

// Holds the object the factory made and the command-language index it was made for.
struct InstructionHolder {
    int instructionIndex = 0;
    std::unique_ptr<CInstructionProtocol> object;
};

// Deletes the held object, then makes one of the class the holder's index selects; an index
// outside 0..4 leaves the holder empty. Returns the held object or nullptr.
CInstructionProtocol* CreateInstruction(InstructionHolder& holder);
// Deletes the held object and empties the holder.
void DestroyInstruction(InstructionHolder& holder);
// A new object of the language, nullptr for an index outside 0..4.
[[nodiscard]] std::unique_ptr<CInstructionProtocol> MakeInstruction(int instructionIndex);

} // namespace quillory
