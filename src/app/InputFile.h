#pragma once

#include <QByteArray>
#include <QString>

#include <span>

namespace quillory {

// Every file the program reads on an operator's behalf has a kind, and every kind a plain upper
// bound: nothing of that kind comes near it, so a larger file is not one (and reading it whole
// could exhaust memory). Only the raw file send streams files of any size.
enum class InputFileKind {
    SettingsFile, // *.VKLZSET ... print settings
    EepromFile,   // *.eep, the EEPROM backups
    LogoFile,     // *.logo
    Picture,      // a picture turned into the logo
    LanguageFile, // Language/*.xml
    UserSettings, // Setting.ini, the user's and the shipped one
};

struct InputFileBound {
    InputFileKind kind;
    qint64 maxBytes;
};

// One row per kind.
[[nodiscard]] std::span<const InputFileBound> InputFileBounds();
[[nodiscard]] qint64 InputFileLimit(InputFileKind kind);

enum class InputFileProblem {
    None,
    Missing,    // no such file, or it cannot be opened (rights)
    NotRegular, // a folder, a device, a pipe or a socket (also behind a symbolic link)
    TooLarge,   // larger than its kind can be
    Unreadable, // opened, but reading failed
};

struct InputFileData {
    InputFileProblem problem = InputFileProblem::None;
    QByteArray bytes;
    qint64 size = 0; // the size the file reported when it was refused as too large
    QString reason;  // the system's reason when the file could not be opened or read
    [[nodiscard]] bool Ok() const { return problem == InputFileProblem::None; }
};

// Reads a whole input file of a kind. The file is opened without waiting (a pipe without a writer
// must not hang the program) and its type and size are checked on the open file before a byte is
// read; a file that grows past the bound while it is read is refused as well.
[[nodiscard]] InputFileData ReadInputFile(const QString& path, InputFileKind kind);

// Only the checks of ReadInputFile, without keeping the bytes.
[[nodiscard]] InputFileProblem CheckInputFile(const QString& path, InputFileKind kind);

// The message key that explains a problem ("FileNotRegular", "FileTooLarge", ...); nullptr for
// None. Its text takes the path as %1 and the bound in bytes as %2.
[[nodiscard]] const char* InputFileProblemKey(InputFileProblem problem);

// The message of a problem in a language, naming the file.
// reason (the system's, from InputFileData) follows in brackets where opening or reading failed.
[[nodiscard]] QString InputFileProblemText(InputFileProblem problem, const QString& path, InputFileKind kind,
                                           int languageIndex, const QString& reason = {});

} // namespace quillory
