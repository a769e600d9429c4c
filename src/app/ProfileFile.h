#pragma once

#include "app/InputFile.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace quillory {

// An INI file with the behaviour of the Windows profile-string functions: section and key names
// are case-insensitive, of duplicate sections and of duplicate keys the first counts, a value in
// matching surrounding quotes reads without them, an existing key is updated in place, a new key
// is appended to its section (a new section to the file), integers are written as "%d" and read
// from their leading decimal digits, lines end in CR LF. Saving is atomic: a failed write leaves
// the previous file intact. A repeated section is invisible to reads and is not written back.
class CProfileFile {
public:
    // The file is read as an input file of kind (bounded, regular files only).
    explicit CProfileFile(QString path, InputFileKind kind = InputFileKind::UserSettings);
    ~CProfileFile();
    CProfileFile(const CProfileFile&) = delete;
    CProfileFile& operator=(const CProfileFile&) = delete;

    // Reads the file. Returns false (and holds nothing) when it cannot be opened or is refused
    // (LoadProblem says why).
    bool Load();
    // Takes the text of a file already read.
    bool LoadBytes(const QByteArray& bytes);
    [[nodiscard]] InputFileProblem LoadProblem() const { return m_problem; }
    // Whether a Save may replace the file: it was loaded, or there was none. A file that exists but
    // was refused is never overwritten with what little this object holds.
    [[nodiscard]] bool MayReplace() const {
        return m_problem == InputFileProblem::None || m_problem == InputFileProblem::Missing;
    }
    // Forgets every section and key.
    void Clear();
    // Writes the file atomically. Returns false when it could not be written.
    [[nodiscard]] bool Save() const;

    [[nodiscard]] const QString& Path() const { return m_path; }
    [[nodiscard]] bool HasSection(const QString& section) const;
    [[nodiscard]] bool HasKey(const QString& section, const QString& key) const;

    // The value, or defaultText when the key is missing; cut to maxChars characters, as a
    // profile read into a buffer of maxChars + 1 would be.
    [[nodiscard]] QString GetString(const QString& section, const QString& key, const QString& defaultText,
                                    int maxChars = 1023) const;
    // GetString converted by ParseLeadingInt ("abc" reads 0, "12abc" reads 12).
    [[nodiscard]] int GetInt(const QString& section, const QString& key, const QString& defaultText,
                             int maxChars = 1023) const;

    void SetString(const QString& section, const QString& key, const QString& value);
    void SetInt(const QString& section, const QString& key, int value);

private:
    struct Impl;
    QString m_path;
    InputFileKind m_kind;
    InputFileProblem m_problem = InputFileProblem::None;
    std::unique_ptr<Impl> m_impl;
};

// The INI text without the repeated occurrences of a section (names compared without regard to
// ASCII case): every line from such a header up to the next header of a new section goes.
[[nodiscard]] QByteArray FirstSectionsOnly(const QByteArray& data);

// Single-call helpers with the semantics of GetPrivateProfileString / WritePrivateProfileString:
// each call reads the file afresh; a write reads, changes and saves in one step.
[[nodiscard]] QString ReadProfileString(const QString& path, const QString& section, const QString& key,
                                        const QString& defaultText, int maxChars = 1023);
[[nodiscard]] int ReadProfileInt(const QString& path, const QString& section, const QString& key,
                                 const QString& defaultText, int maxChars = 1023);
bool WriteProfileString(const QString& path, const QString& section, const QString& key,
                        const QString& value);

} // namespace quillory
