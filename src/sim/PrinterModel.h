#pragma once

#include <QByteArray>
#include <QStringList>

#include <array>
#include <bitset>
#include <cstdint>

namespace quillory::sim {

// Command-language indices, as the rest of the system numbers them.
enum SimLanguage : int { SIM_VKLZ = 0, SIM_VKLE = 1, SIM_VKLT = 2, SIM_VKLA = 3, SIM_VKLC = 4 };

// Keys of the printer's name texts (all languages but VKLA).
inline constexpr const char* kIniKeys[] = {"PrinterName", "PrinterNameZorv", "TphAdj"};
// Longest text the printer keeps for each key, in the order of kIniKeys.
inline constexpr int kIniTextLimits[] = {30, 30, 300};
inline constexpr int kMaxIdTextBytes = 199;

// Everything the virtual printer remembers: its EEPROM image, its texts and the service actions it
// has carried out. Not thread-safe; the owner serialises access.
class PrinterModel {
public:
    explicit PrinterModel(int instructionIndex);

    [[nodiscard]] int Instruction() const { return m_instruction; }
    [[nodiscard]] bool IsVkla() const { return m_instruction == SIM_VKLA; }
    [[nodiscard]] QByteArray LanguageName() const;
    // 126 words for VKLA, 256 for the others.
    [[nodiscard]] int WordCount() const;
    [[nodiscard]] bool ValidAddress(int address) const { return address >= 0 && address < WordCount(); }

    [[nodiscard]] std::uint16_t Word(int address) const;
    void SetWord(int address, std::uint16_t value);
    // Bits first..last (0 = least significant) of a word, shifted down.
    [[nodiscard]] unsigned Bits(int address, int first, int last) const;
    // Replaces bits first..last; value is cut to the field's width.
    void SetBits(int address, int first, int last, unsigned value);
    // word = word & ~mask | value & mask.
    void SetMasked(int address, std::uint16_t mask, std::uint16_t value);
    // Words that every write above and RestoreDefaults leave as they are (a faulty printer).
    void SetIgnoredWords(const std::bitset<256>& words) { m_ignored = words; }

    // Print resolution the EEPROM announces (word 18 low byte for the ~WN languages, word 0E for VKLA).
    [[nodiscard]] int Dpi() const;

    [[nodiscard]] const QByteArray& Version() const { return m_version; }
    void SetVersion(const QByteArray& text);
    [[nodiscard]] const QByteArray& IdText() const { return m_idText; }
    void SetIdText(const QByteArray& text);
    // Index into kIniKeys, -1 for an unknown key.
    [[nodiscard]] static int IniIndex(QByteArrayView key);
    [[nodiscard]] QByteArray IniText(int index) const;
    void SetIniText(int index, const QByteArray& text);
    // Appends to a text as it streams in, up to the key's limit.
    void AppendIniText(int index, QByteArrayView bytes);

    // The EEPROM words as a new printer of this language has them; texts are kept.
    void RestoreDefaults();

    // Service actions carried out ("self-test", "feed", ...), in order.
    void NoteAction(const QString& action) { m_actions.append(action); }
    [[nodiscard]] const QStringList& Actions() const { return m_actions; }
    void ClearActions() { m_actions.clear(); }

    // Grows with every change of the words or texts, so that the owner knows when to save.
    [[nodiscard]] std::uint64_t Revision() const { return m_revision; }

    // The image as this printer's own write commands; sending the result to a printer of the same
    // language (or loading it) programs the same words and texts.
    [[nodiscard]] QByteArray ImageFileBytes() const;

private:
    int m_instruction;
    std::array<std::uint16_t, 256> m_words{};
    std::bitset<256> m_ignored;
    QByteArray m_version;
    QByteArray m_idText;
    std::array<QByteArray, 3> m_ini;
    QStringList m_actions;
    std::uint64_t m_revision = 0;
};

} // namespace quillory::sim
