#pragma once

#include <QByteArray>
#include <QString>

namespace quillory {

// Replaces the file at path with bytes, or leaves the previous file untouched. The data goes to a
// temporary file beside the target, is checked to have been written whole (a full disk can make
// the platform report a short write as success) and synced, and only then renamed over the target.
// why, when given, receives the system's reason for a failure.
[[nodiscard]] bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* why = nullptr);

// The reason of this thread's last failed WriteFileAtomically, for callers that hear only "failed"
// from the code in between (the instruction objects' file operations). Cleared by a success.
[[nodiscard]] QString LastFileWriteFailure();

} // namespace quillory
