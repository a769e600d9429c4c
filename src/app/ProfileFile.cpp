#include "app/ProfileFile.h"

#include "app/AtomicFile.h"
#include "app/NumberText.h"

#include <SimpleIni.h>

#include <string>

namespace quillory {

struct CProfileFile::Impl {
    CSimpleIniA ini{/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/false};
    Impl() { ini.SetSpaces(false); }
};

namespace {
std::string Utf8(const QString& s) {
    return s.toStdString();
}
} // namespace

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
    return m_impl->ini.LoadData(bytes.constData(), std::size_t(bytes.size())) >= 0;
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
    const char* value = m_impl->ini.GetValue(Utf8(section).c_str(), Utf8(key).c_str(), nullptr);
    const QString text = value ? QString::fromUtf8(value) : defaultText;
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
    m_impl->ini.SetValue(Utf8(section).c_str(), Utf8(key).c_str(), Utf8(flat).c_str());
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
