#include "app/ProfileFile.h"

#include "app/AtomicFile.h"
#include "app/NumberText.h"

#include <QSet>

#include <SimpleIni.h>

#include <optional>
#include <string>

namespace quillory {

struct CProfileFile::Impl {
    // Several values per key are kept as they were read, so that the first one can count.
    CSimpleIniA ini{/*isUtf8=*/true, /*multiKey=*/true, /*multiLine=*/false};
    Impl() { ini.SetSpaces(false); }
};

namespace {

std::string Utf8(const QString& s) {
    return s.toStdString();
}

bool IsQuote(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

// A value enclosed in a matching pair of quotes, which a profile read discards.
bool IsQuoted(const QString& value) {
    return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
}

// The name of a section header line ("[Name]", blanks around it ignored), or nothing. As for
// the INI reader, a line with "[" but no "]" is no header.
std::optional<QByteArray> SectionHeader(QByteArrayView line) {
    const QByteArrayView trimmed = line.trimmed();
    const qsizetype end = trimmed.indexOf(']');
    if (!trimmed.startsWith('[') || end < 0)
        return std::nullopt;
    return trimmed.sliced(1, end - 1).trimmed().toByteArray().toLower();
}

} // namespace

QByteArray FirstSectionsOnly(const QByteArray& data) {
    QByteArray kept;
    kept.reserve(data.size());
    QSet<QByteArray> seen;
    bool skipping = false;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        end = end < 0 ? data.size() : end + 1;
        const QByteArrayView line = QByteArrayView(data).sliced(start, end - start);
        if (const std::optional<QByteArray> section = SectionHeader(line)) {
            skipping = seen.contains(*section);
            seen.insert(*section);
        }
        if (!skipping)
            kept.append(line);
        start = end;
    }
    return kept;
}

CProfileFile::CProfileFile(QString path, InputFileKind kind)
    : m_path(std::move(path)), m_kind(kind), m_impl(std::make_unique<Impl>()) {}

CProfileFile::~CProfileFile() = default;

bool CProfileFile::Load() {
    Clear();
    const InputFileData file = ReadInputFile(m_path, m_kind);
    m_problem = file.problem;
    return file.Ok() && LoadBytes(file.bytes);
}

bool CProfileFile::LoadBytes(const QByteArray& bytes) {
    Clear();
    const QByteArray data = FirstSectionsOnly(bytes);
    return m_impl->ini.LoadData(data.constData(), std::size_t(data.size())) >= 0;
}

void CProfileFile::Clear() {
    m_impl->ini.Reset();
    m_impl->ini.SetSpaces(false);
}

bool CProfileFile::Save() const {
    std::string text;
    if (m_impl->ini.Save(text) < 0)
        return false;
    // Profile files use CR LF line ends whatever the platform writes.
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\r')
            continue;
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return WriteFileAtomically(m_path, QByteArray(crlf.data(), qsizetype(crlf.size())));
}

bool CProfileFile::HasSection(const QString& section) const {
    return m_impl->ini.GetSectionSize(Utf8(section).c_str()) >= 0;
}

bool CProfileFile::HasKey(const QString& section, const QString& key) const {
    return m_impl->ini.GetValue(Utf8(section).c_str(), Utf8(key).c_str(), nullptr) != nullptr;
}

QString CProfileFile::GetString(const QString& section, const QString& key, const QString& defaultText,
                                int maxChars) const {
    // Of several values of one key the first counts (GetValue returns the first one read).
    const char* value = m_impl->ini.GetValue(Utf8(section).c_str(), Utf8(key).c_str(), nullptr);
    QString text = value ? QString::fromUtf8(value) : defaultText;
    if (value && IsQuoted(text))
        text = text.sliced(1, text.size() - 2);
    return maxChars >= 0 && text.size() > maxChars ? text.left(maxChars) : text;
}

int CProfileFile::GetInt(const QString& section, const QString& key, const QString& defaultText,
                         int maxChars) const {
    return ParseLeadingInt(GetString(section, key, defaultText, maxChars));
}

void CProfileFile::SetString(const QString& section, const QString& key, const QString& value) {
    // Line breaks would end the value early and turn the rest into stray lines.
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // A read drops blanks around a value and one pair of enclosing quotes: such a value is written
    // inside a pair of quotes of its own, so that it reads back as it was given.
    if (IsQuoted(flat) || (!flat.isEmpty() && (flat.front().isSpace() || flat.back().isSpace())))
        flat = QLatin1Char('"') + flat + QLatin1Char('"');
    // The first value of the key is replaced in place, under the key's spelling in the file; any
    // later duplicates go.
    const std::string sectionName = Utf8(section);
    std::string keyName = Utf8(key);
    if (const CSimpleIniA::TKeyVal* keys = m_impl->ini.GetSection(sectionName.c_str())) {
        if (const auto found = keys->find(CSimpleIniA::Entry(keyName.c_str())); found != keys->end())
            keyName = found->first.pItem;
    }
    m_impl->ini.SetValue(sectionName.c_str(), keyName.c_str(), Utf8(flat).c_str(), nullptr,
                         /*a_bForceReplace=*/true);
}

void CProfileFile::SetInt(const QString& section, const QString& key, int value) {
    SetString(section, key, QString::number(value));
}

QString ReadProfileString(const QString& path, const QString& section, const QString& key,
                          const QString& defaultText, int maxChars) {
    CProfileFile file(path);
    file.Load();
    return file.GetString(section, key, defaultText, maxChars);
}

int ReadProfileInt(const QString& path, const QString& section, const QString& key,
                   const QString& defaultText, int maxChars) {
    return ParseLeadingInt(ReadProfileString(path, section, key, defaultText, maxChars));
}

bool WriteProfileString(const QString& path, const QString& section, const QString& key,
                        const QString& value) {
    CProfileFile file(path);
    file.Load();
    if (!file.MayReplace())
        return false;
    file.SetString(section, key, value);
    return file.Save();
}

} // namespace quillory
