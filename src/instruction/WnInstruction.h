#pragma once

#include "eeprom/EepromFile.h"
#include "instruction/Exchange.h"
#include "instruction/InstructionProtocol.h"

#include <QByteArrayView>

namespace quillory {

// The bytes of the eleven service operations (self-test ... exit auto mode), in operation order.
// A null entry is an operation the language leaves empty: it returns 0 without opening the port.
using ServiceCommands = std::array<QByteArrayView, 11>;

// What VKLC, VKLE, VKLT and VKLZ share: the service commands as a table, the whole-EEPROM read
// through "~WN00@eep", the parameter writes, the network settings words and the EEPROM files.
class CWnInstruction : public CInstructionProtocol {
public:
    int PrintSelfTest(tagPORTINFO port) override { return Service(0, port); }
    int PrintFontList(tagPORTINFO port) override { return Service(1, port); }
    int PrintGraphicList(tagPORTINFO port) override { return Service(2, port); }
    int PrintFormList(tagPORTINFO port) override { return Service(3, port); }
    int FeedLabel(tagPORTINFO port) override { return Service(4, port); }
    int CalibrateMedia(tagPORTINFO port) override { return Service(5, port); }
    int RestoreFactory(tagPORTINFO port) override { return Service(6, port); }
    int RestartPrinter(tagPORTINFO port) override { return Service(7, port); }
    int EnterDumpMode(tagPORTINFO port) override { return Service(8, port); }
    int ExitDumpMode(tagPORTINFO port) override { return Service(9, port); }
    int ExitAutoMode(tagPORTINFO port) override { return Service(10, port); }

    NetworkSettings ReadNetworkSettings(tagPORTINFO port) override;
    int SaveEepromFile(const QString& path) override;
    int LoadEepromFile(const QString& path) override;
    int BackupEeprom(tagPORTINFO port) override;
    int WriteEeprom(tagPORTINFO port) override;

    [[nodiscard]] int InstructionIndex() const override { return m_index; }
    [[nodiscard]] std::vector<int> GetParameters() const override { return m_parameters; }
    void SetParameters(const std::vector<int>& parameters) override;
    [[nodiscard]] std::vector<std::uint16_t> GetEepromImage() const override;
    [[nodiscard]] const PrinterNameTexts& PrinterNames() const { return m_names; }

protected:
    // writeTimeouts: those WriteEeprom sets; withReset: the EEPROM file ends with the reset command.
    CWnInstruction(int instructionIndex, const ServiceCommands& services,
                   std::optional<Timeouts> writeTimeouts, bool withReset);

    // Opens with the standard time-outs and sends the commands, one write each.
    static int SendAll(const tagPORTINFO& port, const std::vector<QByteArray>& commands);

private:
    int Service(std::size_t operation, const tagPORTINFO& port) const;

    int m_index;
    const ServiceCommands& m_services;
    std::optional<Timeouts> m_writeTimeouts;
    bool m_withReset;
    WnImage m_image{};
    std::vector<int> m_parameters;
    PrinterNameTexts m_names;
};

// The print-settings record of one language with its accessors and settings files.
template <typename Record>
class CWnLanguage : public CWnInstruction {
public:
    int SaveSettingsFile(const QString& path) override {
        return SaveSettingsRecord(m_settings, path) ? 1 : 0;
    }
    int LoadSettingsFile(const QString& path) override {
        SettingsRecord record = m_settings;
        if (!LoadSettingsRecord(record, path))
            return 0;
        m_settings = std::get<Record>(record);
        return 1;
    }
    [[nodiscard]] SettingsRecord GetSettingsRecord() const override { return m_settings; }
    bool SetSettingsRecord(const SettingsRecord& record) override {
        const auto* settings = std::get_if<Record>(&record);
        if (settings)
            m_settings = *settings;
        return settings != nullptr;
    }
    [[nodiscard]] Record GetSettings() const { return m_settings; }
    void SetSettings(const Record& settings) { m_settings = settings; }

protected:
    using CWnInstruction::CWnInstruction;
    Record m_settings;
};

} // namespace quillory
