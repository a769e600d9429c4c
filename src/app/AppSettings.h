#pragma once

#include "app/InputFile.h"
#include "port/PortInfo.h"
#include "port/PortTiming.h"

#include <QString>

namespace quillory {

// Command-language indices as stored in [Main] Instruction.
enum InstructionIndex : int {
    INSTRUCTION_VKLZ = 0,
    INSTRUCTION_VKLE = 1,
    INSTRUCTION_VKLT = 2,
    INSTRUCTION_VKLA = 3,
    INSTRUCTION_VKLC = 4,
};

// Language indices (ReadLanguage): 0 Simplified Chinese, 1 Traditional Chinese, 2 English.
enum LanguageIndex : int {
    LANGUAGE_SIMPLIFIED_CHINESE = 0,
    LANGUAGE_TRADITIONAL_CHINESE = 1,
    LANGUAGE_ENGLISH = 2,
};

// Paths, computed afresh on every call so that nothing caches the configuration.
[[nodiscard]] QString ShippedSettingsFilePath();
[[nodiscard]] QString SettingsRootFolder();
[[nodiscard]] QString SettingsFolder();
[[nodiscard]] QString UserSettingsFilePath();

// None when the user settings file can be read, otherwise why not (Missing when there is none).
// A file that is refused reads as all defaults and is never written over.
[[nodiscard]] InputFileProblem CheckUserSettingsFile();
// Whether the user settings file can be read and holds a saved port ([PortInfo] type).
[[nodiscard]] bool HasSavedPort();
// What the program tells the operator about a user settings file it cannot use (empty when it can
// be used or does not exist yet).
[[nodiscard]] QString UserSettingsFileWarning(int languageIndex);

// The settings operations. None of them reports an error: a missing file or key reads its
// default, a failed write leaves the file as it was.
[[nodiscard]] int ReadCommMode();
[[nodiscard]] int ReadLanguage();
void WriteLanguage(int language);
[[nodiscard]] int ReadWizard();
void WriteWizard(int wizard);
[[nodiscard]] int ReadInstruction();
void WriteInstruction(int instruction);
// Fills info from the user settings file; a stored type outside 0..5 leaves info.portType as it was.
tagPORTINFO& ReadPortInfo(tagPORTINFO& info);
[[nodiscard]] tagPORTINFO ReadPortInfo();
void WritePortInfo(tagPORTINFO info);
// The waiting rules of the saved port ([Timing] ReplyTimeout, ReplyGap, StallLimit, in ms). A
// missing key or a value outside its range reads the default, so older files need nothing.
[[nodiscard]] PortTiming ReadPortTiming();
void WritePortTiming(const PortTiming& timing);
// Creates the per-user settings folder and file on first run; does nothing afterwards.
void InitUserSettings();

// Windows-style language ids: 2052 Simplified Chinese (zh_CN, zh_SG), 1028 Traditional Chinese
// (zh_TW, zh_HK, zh_MO), 1033 for everything else.
[[nodiscard]] int SystemLanguageId();
// Test hook; 0 removes the override.
void SetSystemLanguageIdOverride(int languageId);
// Resolves a stored language value: -1 follows the system language, anything else stands.
[[nodiscard]] int ResolveLanguage(int stored, int systemLanguageId);

// The user guide for a language index: the .chm of the guide's name when present, else HTML.
[[nodiscard]] QString HelpGuidePath(int languageIndex);

} // namespace quillory
