#pragma once

#include "eeprom/EepromFile.h"
#include "instruction/Exchange.h"
#include "instruction/InstructionProtocol.h"

namespace quillory {

// VKLA: commands start with a control byte (STX, SOH, ESC or GS) and a short letter code; the
// EEPROM is 126 words read and written one word at a time.
class CVKLAInstruction final : public CInstructionProtocol {
public:
    CVKLAInstruction();

    int PrintSelfTest(tagPORTINFO port) override;
    int PrintFontList(tagPORTINFO port) override;
    int PrintGraphicList(tagPORTINFO port) override;
    int PrintFormList(tagPORTINFO port) override { return Empty(port); }
    int FeedLabel(tagPORTINFO port) override;
    int CalibrateMedia(tagPORTINFO port) override;
    int RestoreFactory(tagPORTINFO port) override { return Empty(port); }
    int RestartPrinter(tagPORTINFO port) override;
    int EnterDumpMode(tagPORTINFO port) override { return Empty(port); }
    int ExitDumpMode(tagPORTINFO port) override { return Empty(port); }
    int ExitAutoMode(tagPORTINFO port) override { return Empty(port); }
    NetworkSettings ReadNetworkSettings(tagPORTINFO port) override;
    int ReadSettings(tagPORTINFO port) override;
    int ApplySettings(tagPORTINFO port) override;
    int SaveSettingsFile(const QString& path) override;
    int LoadSettingsFile(const QString& path) override;
    int SaveEepromFile(const QString& path) override;
    int LoadEepromFile(const QString& path) override;
    int BackupEeprom(tagPORTINFO port) override;
    int WriteEeprom(tagPORTINFO port) override;

    [[nodiscard]] int InstructionIndex() const override { return 3; }
    [[nodiscard]] SettingsRecord GetSettingsRecord() const override { return m_settings; }
    bool SetSettingsRecord(const SettingsRecord& record) override;
    [[nodiscard]] VKLASettings GetSettings() const { return m_settings; }
    void SetSettings(const VKLASettings& settings) { m_settings = settings; }
    [[nodiscard]] std::vector<int> GetParameters() const override { return m_parameters; }
    void SetParameters(const std::vector<int>& parameters) override;
    [[nodiscard]] std::vector<std::uint16_t> GetEepromImage() const override;

    // The printer's ID text (parameter 51): at most 199 bytes in the 8-bit code page.
    [[nodiscard]] QString GetIdText() const { return QString::fromLocal8Bit(m_idText); }
    void SetIdText(const QString& text);

private:
    static int Empty(const tagPORTINFO&) { return 0; }
    int PrintListing(const tagPORTINFO& port, const QByteArray& command, const QByteArray& marker);

    VKLASettings m_settings;
    std::vector<int> m_parameters;
    VklaImage m_image{};
    QByteArray m_idText;
};

// The masked writes of ApplySettings as (address, mask, value) commands, in order (13 or 14).
[[nodiscard]] std::vector<QByteArray> VklaApplyCommands(const VKLASettings& settings);
// The label that PrintFontList/PrintGraphicList print from a listing reply, as the commands sent
// after the listing request (the "m"/"L" start, one text line per listed entry, "E").
[[nodiscard]] std::vector<QByteArray> VklaListingLabel(const QString& reply, const QString& marker);
// Whether a reply is a whole listing: it closes with the module's free space
// ("AVAILABLE BYTES IN MODULE: 1835008", the number may be missing) and nothing follows.
[[nodiscard]] bool IsVklaListing(QByteArrayView reply);

} // namespace quillory
