#include "app/InputFile.h"

#include "app/LanguageTexts.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {
namespace {

constexpr qint64 kKiB = 1024;
constexpr qint64 kMiB = 1024 * kKiB;

// Settings files hold at most 17 short lines, EEPROM files about 6 KB, a .logo file 535 bytes,
// the language files about 100 KB, Setting.ini a few hundred bytes. Pictures may be photographs.
constexpr std::array<InputFileBound, 6> kBounds{{
    {InputFileKind::SettingsFile, 64 * kKiB},
    {InputFileKind::EepromFile, 64 * kKiB},
    {InputFileKind::LogoFile, 64 * kKiB},
    {InputFileKind::Picture, 64 * kMiB},
    {InputFileKind::LanguageFile, 4 * kMiB},
    {InputFileKind::UserSettings, 256 * kKiB},
}};

// Closes the descriptor however the read ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int Get() const { return m_fd; }

private:
    int m_fd;
};

InputFileData Read(const QString& path, InputFileKind kind, bool keepBytes) {
    InputFileData data;
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) {
        data.problem = InputFileProblem::Missing;
        return data;
    }
    // A device is never opened at all (opening some has effects of its own, a serial line raises
    // its modem lines); the open file is checked again below, as the path may change meanwhile.
    struct stat before {};
    if (::stat(name.constData(), &before) != 0) {
        data.problem = InputFileProblem::Missing;
        data.reason = QString::fromLocal8Bit(std::strerror(errno));
        return data;
    }
    if (!S_ISREG(before.st_mode)) {
        data.problem = InputFileProblem::NotRegular;
        return data;
    }
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer forever.
    int fd = -1;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        data.problem = errno == ENXIO ? InputFileProblem::NotRegular : InputFileProblem::Missing;
        data.reason = QString::fromLocal8Bit(std::strerror(errno));
        return data;
    }
    const Descriptor file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        data.problem = InputFileProblem::Unreadable;
        return data;
    }
    if (!S_ISREG(info.st_mode)) {
        data.problem = InputFileProblem::NotRegular;
        return data;
    }
    const qint64 limit = InputFileLimit(kind);
    if (info.st_size > limit) {
        data.problem = InputFileProblem::TooLarge;
        data.size = info.st_size;
        return data;
    }
    // Read one byte past the bound: a file that grew meanwhile is refused, never cut.
    QByteArray bytes;
    bytes.resize(qsizetype(info.st_size) + 1);
    qint64 total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (total > limit)
                break;
            bytes.resize(qsizetype(std::min<qint64>(limit + 1, total * 2 + 4096)));
        }
        const ssize_t n = ::read(fd, bytes.data() + total, std::size_t(bytes.size() - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            data.problem = InputFileProblem::Unreadable;
            data.reason = QString::fromLocal8Bit(std::strerror(errno));
            return data;
        }
        if (n == 0)
            break;
        total += n;
    }
    if (total > limit) {
        data.problem = InputFileProblem::TooLarge;
        data.size = total;
        return data;
    }
    bytes.truncate(qsizetype(total));
    if (keepBytes)
        data.bytes = std::move(bytes);
    return data;
}

} // namespace

std::span<const InputFileBound> InputFileBounds() {
    return kBounds;
}

qint64 InputFileLimit(InputFileKind kind) {
    for (const InputFileBound& bound : kBounds) {
        if (bound.kind == kind)
            return bound.maxBytes;
    }
    return 0;
}

InputFileData ReadInputFile(const QString& path, InputFileKind kind) {
    return Read(path, kind, true);
}

InputFileProblem CheckInputFile(const QString& path, InputFileKind kind) {
    return Read(path, kind, false).problem;
}

const char* InputFileProblemKey(InputFileProblem problem) {
    switch (problem) {
    case InputFileProblem::None:
        return nullptr;
    case InputFileProblem::Missing:
        return "FileOpenFail";
    case InputFileProblem::NotRegular:
        return "FileNotRegular";
    case InputFileProblem::TooLarge:
        return "FileTooLarge";
    case InputFileProblem::Unreadable:
        return "FileReadFail";
    }
    return nullptr;
}

QString InputFileProblemText(InputFileProblem problem, const QString& path, InputFileKind kind,
                             int languageIndex, const QString& reason) {
    const char* key = InputFileProblemKey(problem);
    if (!key)
        return {};
    const QString text = FormatMessageText(key, languageIndex, {path, QString::number(InputFileLimit(kind))});
    // "Could not be opened" has many causes; the system's says which (no such file, no right ...).
    const bool systemFailure =
        problem == InputFileProblem::Missing || problem == InputFileProblem::Unreadable;
    return systemFailure && !reason.isEmpty() ? QStringLiteral("%1 (%2)").arg(text, reason) : text;
}

} // namespace quillory
