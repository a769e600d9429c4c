#pragma once

#include "port/Communication.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quillory::fuzz {

// Once per process: a QCoreApplication, a private scratch folder, and backups kept inside it.
void InitFuzzing(int* argc, char*** argv);

// The fuzz input as bytes (no copy).
[[nodiscard]] inline QByteArrayView InputBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), qsizetype(size)};
}

// A file path in the scratch folder; the same name gives the same path for the whole run.
[[nodiscard]] QString ScratchPath(const char* name);
// Replaces the scratch file with bytes (plain write: the fuzz input, not product data).
void WriteScratchFile(const QString& path, QByteArrayView bytes);

// Reports a broken invariant with both sides and aborts, so libFuzzer keeps the input.
[[noreturn]] void InvariantFailed(const char* what, QByteArrayView expected, QByteArrayView actual);
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            ::quillory::fuzz::InvariantFailed(#condition, {}, {});                                           \
    } while (false)
#define FUZZ_CHECK_EQ(expected, actual)                                                                      \
    do {                                                                                                     \
        const QByteArray fuzzExpected_ = (expected);                                                         \
        const QByteArray fuzzActual_ = (actual);                                                             \
        if (fuzzExpected_ != fuzzActual_)                                                                    \
            ::quillory::fuzz::InvariantFailed(#expected " == " #actual, fuzzExpected_, fuzzActual_);         \
    } while (false)

// A printer transcript: the bytes waiting before the first write, then one reply per write.
// Encoded as chunks of a two-byte big-endian length and that many bytes (the last may be short).
class ReplyScript {
public:
    explicit ReplyScript(QByteArrayView encoded) : m_data(encoded) {}
    // The next chunk; empty once the script is used up.
    QByteArray Next();

    static QByteArray Encode(const QList<QByteArray>& chunks);

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

// While alive, every connection the factory makes answers from the script: each write queues the
// next reply, each read takes at most its capacity of what is queued.
class ScriptedConnections {
public:
    explicit ScriptedConnections(QByteArrayView encodedScript);
    ~ScriptedConnections();
    ScriptedConnections(const ScriptedConnections&) = delete;
    ScriptedConnections& operator=(const ScriptedConnections&) = delete;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace quillory::fuzz
