#pragma once

#include "app/InputFile.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <utility>
#include <variant>
#include <vector>

namespace quillory {

// The print-settings records of the five command languages. Field names are the settings-file
// keys, letter for letter; lengths and offsets are printer dots.

struct VKLASettings {
    QString FirmwareVersion;
    int Unit = 0; // 0 mm, 1 inch, 2 dots
    int DPI = 203;
    int PrintType = 0;
    int PaperType = 0;
    int PaperHeight = 0;
    int GapHeight = 0;
    int PrintSpeed = 0; // letter code 'C' (67) .. 'L' (76)
    int PrintDarkness = 0;
    int OutPaperType = 0;
    int PrintAffterError = 0;
    int CheckPaperType = 0;
    int TearPaperPosition = 0; // may hold the 16-bit two's-complement form
    int HoriPrintPositionOffset = 0;
    int VertPrintPositionOffset = 0;
};

struct VKLCSettings {
    QString FirmwareVersion;
    int Unit = 0; // 0 dots, 1 inch, 2 mm
    int DPI = 203;
    int PaperType = 0;
    int PaperHeight = 0;
    int PaperWidth = 0;
    int PrintSpeed = 0;
    int PrintDarkness = 0;
};

struct VKLESettings {
    QString FirmwareVersion;
    int DPI = 203;
    int Unit = 0;
    int PrintType = 0;
    int PaperType = 0;
    int PaperHeight = 0;
    int PaperWidth = 0;
    int GapHeight = 0;
    int PrintDrection = 0;
    int PrintSpeed = 0;
    int PrintDarkness = 0;
    int OutPaperType = 0;
    int CodePage = 0;
    int BitData = 0;
    int SetClock = 0;
    int SetClockMethod = 0;
    QString ClockText;
};

struct VKLTSettings {
    QString FirmwareVersion;
    int Unit = 0;
    int DPI = 203;
    int PrintType = 0;
    int PaperType = 0;
    int PaperHeight = 0;
    int PaperWidth = 0;
    int GapHeight = 0;
    int PrintSpeed = 0;
    int PrintDarkness = 0;
    int OutPaperType = 0;
    int PrintDrection = 0;
    int MirrorPrint = 0;
    int TearPaperPosition = 0;
    int HoriPrintPositionOffset = 0;
    int VertPrintPositionOffset = 0;
    int CodePage = 0;
    int PrintAffterError = 0;
};

struct VKLZSettings {
    QString FirmwareVersion;
    int Unit = 0;
    int DPI = 203;
    int PrintType = 0;
    int PaperType = 0;
    int PaperHeight = 0;
    int PaperWidth = 0;
    int PrintDrection = 0;
    int PrintSpeed = 0;
    int PrintDarkness = 0;
    int OutPaperType = 0;
    int TearPaperPosition = 0;
    int HoriPrintPositionOffset = 0;
    int VertPrintPositionOffset = 0;
    int MirrorPrint = 0;
    int SetClock = 0;
    int SetClockMethod = 0;
    QString ClockText;
};

// Any of the five records, for code that handles every language alike (command line, files).
using SettingsRecord = std::variant<VKLZSettings, VKLESettings, VKLTSettings, VKLASettings, VKLCSettings>;

// The record of a command-language index (0 VKLZ, 1 VKLE, 2 VKLT, 3 VKLA, 4 VKLC; others VKLC).
[[nodiscard]] SettingsRecord MakeSettingsRecord(int instructionIndex);
[[nodiscard]] int InstructionIndexOf(const SettingsRecord& record);

// Every field of a record in record order, texts included, as name and value.
[[nodiscard]] std::vector<std::pair<QString, QVariant>> SettingsFields(const SettingsRecord& record);
// Sets one integer field by name; false when the record has no such integer field.
bool SetSettingsField(SettingsRecord& record, const QString& name, int value);

// Valid resolutions; any other value is replaced by 203 wherever a record is loaded or saved.
[[nodiscard]] bool IsValidDpi(int dpi);
[[nodiscard]] inline int ValidDpiOr203(int dpi) {
    return IsValidDpi(dpi) ? dpi : 203;
}

// Settings-file keys of a language, in the order they are written.
[[nodiscard]] std::vector<const char*> SettingsFileKeys(int instructionIndex);

// Settings files: one section "First", one "%d" value per key of the language. Save replaces the
// file atomically and returns false when it could not be written; Load returns false when the file
// cannot be opened or is refused (CheckSettingsFile) and then leaves the record as it was.
[[nodiscard]] bool SaveSettingsRecord(const SettingsRecord& record, const QString& path);
[[nodiscard]] bool LoadSettingsRecord(SettingsRecord& record, const QString& path);

// A settings file as it was read for a language. Only a text file with section "First" and at
// least one key the language reads may load: anything else would load as all defaults and could
// then be applied to a printer.
enum class SettingsFileContent {
    Valid,
    NoSection,  // no section "First"
    NoKnownKey, // "First" holds none of the keys the language reads
    Damaged,    // bytes that are not text (NUL and other control bytes)
};
struct SettingsFileVerdict {
    InputFileProblem file = InputFileProblem::None;
    QString reason; // the system's, when the file could not be opened or read
    SettingsFileContent content = SettingsFileContent::Valid;
    QStringList keys; // the language's keys the file holds
    [[nodiscard]] bool Ok() const {
        return file == InputFileProblem::None && content == SettingsFileContent::Valid;
    }
};
[[nodiscard]] SettingsFileVerdict CheckSettingsFile(const QString& path, int instructionIndex);
// Why a file was refused, naming it; empty for an accepted file.
[[nodiscard]] QString SettingsFileVerdictText(const SettingsFileVerdict& verdict, const QString& path,
                                              int instructionIndex, int languageIndex);

// The settings-file extension of a language ("VKLZSET" ...).
[[nodiscard]] QString SettingsFileExtension(int instructionIndex);

// Code-page lists shown by the settings screens; the record's CodePage is a position in them.
[[nodiscard]] const std::array<const char*, 19>& VkleCodePageList();
[[nodiscard]] const std::array<const char*, 48>& VkltCodePageList();

} // namespace quillory
