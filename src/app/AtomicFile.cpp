#include "app/AtomicFile.h"

#include <QSaveFile>

namespace quillory {

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* why) {
    QSaveFile file(path);
    const auto fail = [&] {
        if (why)
            *why = file.errorString();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    if (file.write(bytes) != bytes.size() || !file.flush() || file.size() != bytes.size()) {
        // A short write without an error of its own is a full disk.
        if (why)
            *why = file.error() == QFileDevice::NoError ? QStringLiteral("the disk is full")
                                                        : file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return fail();
    return true;
}

} // namespace quillory
