#pragma once

#include "port/Communication.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <pwd.h>
#include <unistd.h>

// Helpers shared by the backend tests.
namespace quillory::test {

inline QByteArray AllByteValues() {
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

// The code an operation throws, 0 when it does not throw; the detail goes to *detail.
inline int CodeOf(const std::function<void()>& operation, QString* detail = nullptr) {
    try {
        operation();
    } catch (const CommunicationException& e) {
        if (detail)
            *detail = e.Detail();
        return e.GetErrorCode();
    }
    return 0;
}

inline void WriteAll(CCommunicationProtocol& port, const QByteArray& bytes) {
    int count = -1;
    port.Write(reinterpret_cast<const std::uint8_t*>(bytes.constData()), int(bytes.size()), &count);
    EXPECT_EQ(count, bytes.size());
}

inline QByteArray ReadOnce(CCommunicationProtocol& port, int capacity = 1024) {
    QByteArray buffer(capacity, '\0');
    int count = -1;
    port.Read(reinterpret_cast<std::uint8_t*>(buffer.data()), capacity, &count);
    EXPECT_GE(count, 0);
    return buffer.left(qMax(0, count));
}

// Runs operation as the unprivileged user "nobody" in this (forked) process and exits with the
// code it throws. Tests run as root, for whom every permission check passes; use inside
// EXPECT_EXIT with the thread-safe death-test style.
[[noreturn]] inline void ExitWithCodeAsNobody(const std::function<void()>& operation) {
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
        ::_exit(100);
    ::_exit(CodeOf(operation));
}

} // namespace quillory::test
