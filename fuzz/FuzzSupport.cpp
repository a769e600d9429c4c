#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillory::fuzz {
namespace {

QTemporaryDir* gScratch = nullptr;

void PrintBytes(const char* label, QByteArrayView bytes) {
    std::fprintf(stderr, "%s (%lld bytes): %s\n", label, static_cast<long long>(bytes.size()),
                 bytes.toByteArray().toHex(' ').constData());
}

class ScriptedConnection final : public CCommunicationProtocol {
public:
    explicit ScriptedConnection(std::shared_ptr<ScriptedConnections::State> state)
        : m_state(std::move(state)) {}
    void Open(tagPORTINFO) override;
    void Read(std::uint8_t* buffer, int capacity, int* count) override;
    void Write(const std::uint8_t* data, int length, int* count) override;
    void SetTimeouts(int, int) override {}
    void Close() override {}

private:
    std::shared_ptr<ScriptedConnections::State> m_state;
};

} // namespace

struct ScriptedConnections::State {
    explicit State(QByteArrayView encoded) : script(encoded) {}
    ReplyScript script;
    QByteArray pending;
    bool opened = false;
};

namespace {

void ScriptedConnection::Open(tagPORTINFO) {
    // Only the first connection sees the bytes waiting before the first write.
    if (!m_state->opened)
        m_state->pending += m_state->script.Next();
    m_state->opened = true;
}

void ScriptedConnection::Read(std::uint8_t* buffer, int capacity, int* count) {
    if (!buffer || capacity < 0)
        std::abort(); // the exchange layer must never ask for that
    const int n = std::min<int>(capacity, int(m_state->pending.size()));
    std::memcpy(buffer, m_state->pending.constData(), std::size_t(n));
    m_state->pending.remove(0, n);
    if (count)
        *count = n;
}

void ScriptedConnection::Write(const std::uint8_t* data, int length, int* count) {
    if (length < 0 || (length > 0 && !data))
        std::abort();
    m_state->pending += m_state->script.Next();
    if (count)
        *count = length;
}

} // namespace

void InitFuzzing(int* argc, char*** argv) {
    static QCoreApplication* app = new QCoreApplication(*argc, *argv);
    (void)app;
    // Decoders warn about every broken picture; millions of those lines would only slow the search.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    if (!gScratch) {
        gScratch = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/quillory-fuzz-XXXXXX"));
        if (!gScratch->isValid()) {
            std::fprintf(stderr, "no scratch folder: %s\n", qPrintable(gScratch->errorString()));
            std::abort();
        }
        std::atexit([] { delete gScratch; });
        qputenv("QUILLORY_EEPBAK_DIR", gScratch->filePath(QStringLiteral("EEPbak")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", gScratch->filePath(QStringLiteral("config")).toLocal8Bit());
    }
}

QString ScratchPath(const char* name) {
    return gScratch->filePath(QString::fromLatin1(name));
}

void WriteScratchFile(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size()) {
        std::fprintf(stderr, "cannot write the scratch file %s\n", qPrintable(path));
        std::abort();
    }
}

void InvariantFailed(const char* what, QByteArrayView expected, QByteArrayView actual) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    if (!expected.isNull() || !actual.isNull()) {
        PrintBytes("expected", expected);
        PrintBytes("actual  ", actual);
    }
    std::abort();
}

QByteArray ReplyScript::Next() {
    if (m_pos + 2 > m_data.size()) {
        m_pos = m_data.size();
        return {};
    }
    const qsizetype length = (qsizetype(std::uint8_t(m_data[m_pos])) << 8) | std::uint8_t(m_data[m_pos + 1]);
    m_pos += 2;
    const qsizetype n = std::min(length, m_data.size() - m_pos);
    const QByteArray chunk = m_data.sliced(m_pos, n).toByteArray();
    m_pos += n;
    return chunk;
}

QByteArray ReplyScript::Encode(const QList<QByteArray>& chunks) {
    QByteArray out;
    for (const QByteArray& chunk : chunks) {
        const qsizetype n = std::min<qsizetype>(chunk.size(), 0xFFFF);
        out += char((n >> 8) & 0xFF);
        out += char(n & 0xFF);
        out += chunk.first(n);
    }
    return out;
}

ScriptedConnections::ScriptedConnections(QByteArrayView encodedScript)
    : m_state(std::make_shared<State>(encodedScript)) {
    std::shared_ptr<State> state = m_state;
    CCommunicationFactory::SetConnectionMaker(
        [state](const tagPORTINFO&) { return std::make_unique<ScriptedConnection>(state); });
}

ScriptedConnections::~ScriptedConnections() {
    CCommunicationFactory::SetConnectionMaker({});
}

} // namespace quillory::fuzz
