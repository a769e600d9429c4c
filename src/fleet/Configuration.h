#pragma once

#include "eeprom/EepromDiff.h"
#include "instruction/InstructionProtocol.h"
#include "settings/PrintSettings.h"
#include "settings/SettingsDiff.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace quillory {

// A printer's configuration as a snapshot folder, a settings file or an EEPROM file holds it.
struct Configuration {
    int instructionIndex = -1;
    QString source; // the folder or file it came from
    std::optional<SettingsRecord> settings;
    QString settingsPath; // the settings file it was loaded from
    std::optional<EepromValues> eeprom;
    QString eepromPath; // the EEPROM file it was loaded from
    // Snapshots only.
    QString port;
    QString firmwareVersion;
    QDateTime time;
};

struct LoadedConfiguration {
    std::optional<Configuration> configuration;
    QString error; // why nothing was loaded, naming the file
};

// The snapshot folder's files.
inline constexpr char kSnapshotManifest[] = "snapshot.json";
inline constexpr char kSnapshotEeprom[] = "eeprom.eep";
inline constexpr char kSnapshotNetwork[] = "network.json";
// "settings." plus the language's settings-file extension.
[[nodiscard]] QString SnapshotSettingsName(int instructionIndex);

// Loads a snapshot folder (its manifest and every checksum must agree), a settings file (the
// language from its extension; every value within its range) or an EEPROM file (a whole file of
// the language; languageHint says which, needed except for the VKLA layout).
[[nodiscard]] LoadedConfiguration LoadConfiguration(const QString& path, int languageHint);

// The differences of two configurations of one language, the settings then the EEPROM, each part
// compared where both sides hold it.
struct ConfigurationDifference {
    QString part; // "settings" or "eeprom"
    FieldDifference field;
};
struct ConfigurationComparison {
    bool comparable = true;
    std::vector<ConfigurationDifference> differences;
    [[nodiscard]] bool Equal() const { return comparable && differences.empty(); }
    [[nodiscard]] bool WrittenDiffer() const;
};
[[nodiscard]] ConfigurationComparison CompareConfigurations(const Configuration& left,
                                                            const Configuration& right, int languageIndex);

// What a screen last read (its settings or its EEPROM values) as a configuration of that
// language; none when neither was read.
[[nodiscard]] std::optional<Configuration> ReadAsConfiguration(int instructionIndex,
                                                               std::optional<SettingsRecord> settings,
                                                               std::optional<EepromValues> eeprom);

// The EEPROM values an instruction object holds (after a read or a loaded file).
[[nodiscard]] EepromValues EepromValuesOfObject(const CInstructionProtocol& object);

// What was read from a printer (its settings or its EEPROM) compared with a settings file, an
// EEPROM file or a snapshot (its folder or its manifest), as the text that shows the outcome: the
// differences one a line, that there are none, or why the file cannot be compared.
struct ComparisonReport {
    bool compared = false; // false: the file was refused, text says why
    bool equal = false;
    QString text;
};
[[nodiscard]] ComparisonReport CompareWithSource(const Configuration& read, const QString& path,
                                                 int languageIndex);

// What was read from a printer, kept in a folder with the snapshot's file names.
struct PrinterReading {
    int code = 0;  // 0, or the communication error code of the read that failed
    QString error; // why the read failed, or why a file could not be written
    Configuration configuration;
};

// Reads print settings, the whole EEPROM and (where the language reads them) the network settings
// into folder, which must exist, and writes the manifest last. Nothing is sent but reads.
[[nodiscard]] PrinterReading ReadPrinterInto(CInstructionProtocol& object, const tagPORTINFO& port,
                                             const QString& portText, const QString& folder);

// A snapshot under construction: a hidden folder beside its target, removed unless placed.
class CSnapshotFolder {
public:
    explicit CSnapshotFolder(const QString& target);
    ~CSnapshotFolder();
    CSnapshotFolder(const CSnapshotFolder&) = delete;
    CSnapshotFolder& operator=(const CSnapshotFolder&) = delete;

    [[nodiscard]] bool IsValid() const { return !m_path.isEmpty(); }
    [[nodiscard]] const QString& Path() const { return m_path; }
    [[nodiscard]] const QString& Error() const { return m_error; }
    // Puts the folder where its target is, in one rename: refused when the target exists unless
    // replace, which swaps the two and then removes the old one. False with Error() otherwise.
    [[nodiscard]] bool Place(bool replace);

private:
    QString m_target;
    QString m_path;
    QString m_error;
};

} // namespace quillory
