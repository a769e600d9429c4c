#include "app/AtomicFile.h"

#include <QSaveFile>

namespace quillory {

namespace {
thread_local QString tLastFailure;
} // namespace

QString LastFileWriteFailure() {
    return tLastFailure;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* why) {
    QString reason;
    const bool ok = [&] {
        QSaveFile file(path);
        const auto fail = [&] {
            reason = file.errorString();
            return false;
        };
        if (!file.open(QIODevice::WriteOnly))
            return fail();
        if (file.write(bytes) != bytes.size() || !file.flush() || file.size() != bytes.size()) {
            // A short write without an error of its own is a full disk.
            reason = file.error() == QFileDevice::NoError ? QStringLiteral("the disk is full")
                                                          : file.errorString();
            file.cancelWriting();
            return false;
        }
        if (!file.commit())
            return fail();
        return true;
    }();
    tLastFailure = ok ? QString() : reason;
    if (!ok && why)
        *why = reason;
    return ok;
}

} // namespace quillory
