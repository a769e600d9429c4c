#include "fleet/Configuration.h"

#include "app/AtomicFile.h"
#include "app/InputFile.h"
#include "app/LanguageTexts.h"
#include "eeprom/EepromFileCheck.h"
#include "instruction/VKLAInstruction.h"
#include "instruction/WnInstruction.h"
#include "port/Communication.h"
#include "port/PortInfo.h"
#include "settings/SettingsRanges.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quillory {
namespace {

constexpr int kVkla = 3;
// A manifest is a few hundred bytes; anything far larger is not one.
constexpr qint64 kManifestLimit = 64 * 1024;

int LanguageOfName(const QString& name) {
    for (int i = 0; i <= 4; ++i)
        if (InstructionName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString Sha256Of(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString AddressText(const std::array<std::uint8_t, 4>& a) {
    return QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
}

LoadedConfiguration Refuse(const QString& why) {
    return {std::nullopt, why};
}

// Loads a settings file of a language with the checks settings apply makes.
QString LoadSettings(const QString& path, int index, Configuration& c) {
    const SettingsFileVerdict verdict = CheckSettingsFile(path, index);
    if (!verdict.Ok())
        return SettingsFileVerdictText(verdict, path, index, 2);
    SettingsRecord record = MakeSettingsRecord(index);
    if (!LoadSettingsRecord(record, path))
        return QStringLiteral("%1 is not a readable settings file").arg(path);
    const auto violations = FindRangeViolations(record);
    if (!violations.empty())
        return ViolationText(violations.front(), path, 2);
    c.settings = record;
    c.settingsPath = path;
    return {};
}

QString LoadEeprom(const QString& path, int index, Configuration& c) {
    const EepromFileVerdict verdict = ReadEepromFile(path, index);
    if (!verdict.Ok())
        return EepromFileVerdictText(verdict, path, index, 2);
    c.eeprom = EepromValuesOfFile(index, verdict.bytes);
    c.eepromPath = path;
    return {};
}

LoadedConfiguration LoadSnapshot(const QString& folder) {
    const QString manifestPath = QDir(folder).filePath(QLatin1String(kSnapshotManifest));
    if (!QFileInfo::exists(manifestPath))
        return Refuse(QStringLiteral("%1 is not a snapshot: it holds no %2").arg(folder, kSnapshotManifest));
    const QFileInfo info(manifestPath);
    if (!info.isFile() || info.size() > kManifestLimit)
        return Refuse(QStringLiteral("%1 is not a snapshot manifest").arg(manifestPath));
    QFile file(manifestPath);
    if (!file.open(QIODevice::ReadOnly))
        return Refuse(QStringLiteral("cannot read %1: %2").arg(manifestPath, file.errorString()));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(kManifestLimit), &parseError);
    if (!doc.isObject())
        return Refuse(QStringLiteral("%1 is not valid JSON: %2").arg(manifestPath, parseError.errorString()));
    const QJsonObject manifest = doc.object();
    Configuration c;
    c.source = folder;
    c.instructionIndex = LanguageOfName(manifest.value("language").toString());
    if (c.instructionIndex < 0)
        return Refuse(QStringLiteral("%1 names no command language").arg(manifestPath));
    c.port = manifest.value("port").toString();
    c.firmwareVersion = manifest.value("firmwareVersion").toString();
    c.time = QDateTime::fromString(manifest.value("time").toString(), Qt::ISODate);

    // Every file the manifest lists must be there and unchanged; a snapshot edited or damaged
    // afterwards must not be put on a printer as if it were what was read.
    const QJsonObject files = manifest.value("files").toObject();
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString name = it.key();
        if (name.contains(u'/') || name.startsWith(u'.'))
            return Refuse(QStringLiteral("%1 lists a file outside the folder: %2").arg(manifestPath, name));
        const QString path = QDir(folder).filePath(name);
        const InputFileKind kind =
            name == QLatin1String(kSnapshotEeprom) ? InputFileKind::EepromFile : InputFileKind::SettingsFile;
        const InputFileData data = ReadInputFile(path, kind);
        if (!data.Ok())
            return Refuse(InputFileProblemText(data.problem, path, kind, 2, data.reason));
        if (Sha256Of(data.bytes) != it.value().toString())
            return Refuse(
                QStringLiteral("%1 does not match the checksum in %2: the snapshot was changed or damaged")
                    .arg(path, manifestPath));
    }
    const QString settingsName = SnapshotSettingsName(c.instructionIndex);
    if (files.contains(settingsName))
        if (const QString why = LoadSettings(QDir(folder).filePath(settingsName), c.instructionIndex, c);
            !why.isEmpty())
            return Refuse(why);
    if (files.contains(QLatin1String(kSnapshotEeprom)))
        if (const QString why = LoadEeprom(QDir(folder).filePath(kSnapshotEeprom), c.instructionIndex, c);
            !why.isEmpty())
            return Refuse(why);
    if (!c.settings && !c.eeprom)
        return Refuse(QStringLiteral("%1 holds neither print settings nor an EEPROM file").arg(folder));
    return {c, {}};
}

// Removes what a snapshot killed before it was placed left beside target: hidden folders of the
// same name whose process is gone.
void RemoveAbandoned(const QString& target) {
    const QFileInfo info(target);
    const QString prefix = QStringLiteral(".%1.partial-").arg(info.fileName());
    QDir parent = info.dir();
    for (const QString& name :
         parent.entryList({prefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString rest = name.mid(prefix.size());
        bool ok = false;
        const int pid = rest.section(u'-', 0, 0).toInt(&ok);
        if (!ok || pid <= 0 || pid == getpid())
            continue;
        if (kill(pid, 0) != 0 && errno == ESRCH)
            QDir(parent.filePath(name)).removeRecursively();
    }
}

void SyncFolder(const QString& path) {
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

QString SnapshotSettingsName(int instructionIndex) {
    return QStringLiteral("settings.") + SettingsFileExtension(instructionIndex);
}

LoadedConfiguration LoadConfiguration(const QString& path, int languageHint) {
    const QFileInfo info(path);
    if (!info.exists())
        return Refuse(QStringLiteral("%1 does not exist").arg(path));
    if (info.isDir())
        return LoadSnapshot(path);
    Configuration c;
    c.source = path;
    const QString suffix = info.suffix();
    for (int i = 0; i <= 4; ++i)
        if (suffix.compare(SettingsFileExtension(i), Qt::CaseInsensitive) == 0) {
            c.instructionIndex = i;
            if (const QString why = LoadSettings(path, i, c); !why.isEmpty())
                return Refuse(why);
            return {c, {}};
        }
    // An EEPROM file: the VKLA layout is its own; the other four share one.
    int index = languageHint;
    if (index < 0) {
        const InputFileData data = ReadInputFile(path, InputFileKind::EepromFile);
        if (data.Ok() && CountVklaEepromLines(data.bytes).Complete())
            index = kVkla;
    }
    if (index < 0)
        return Refuse(
            QStringLiteral("%1 is an EEPROM file of no stated command language: give it with --lang")
                .arg(path));
    c.instructionIndex = index;
    if (const QString why = LoadEeprom(path, index, c); !why.isEmpty())
        return Refuse(why);
    return {c, {}};
}

bool ConfigurationComparison::WrittenDiffer() const {
    for (const ConfigurationDifference& d : differences)
        if (d.field.written)
            return true;
    return false;
}

ConfigurationComparison CompareConfigurations(const Configuration& left, const Configuration& right,
                                              int languageIndex) {
    ConfigurationComparison result;
    if (left.instructionIndex != right.instructionIndex) {
        result.comparable = false;
        return result;
    }
    if (left.settings && right.settings)
        for (FieldDifference& d : CompareSettings(*left.settings, *right.settings, languageIndex).differences)
            result.differences.push_back({QStringLiteral("settings"), std::move(d)});
    if (left.eeprom && right.eeprom)
        for (FieldDifference& d : CompareEeprom(*left.eeprom, *right.eeprom, languageIndex).differences)
            result.differences.push_back({QStringLiteral("eeprom"), std::move(d)});
    return result;
}

std::optional<Configuration> ReadAsConfiguration(int instructionIndex, std::optional<SettingsRecord> settings,
                                                 std::optional<EepromValues> eeprom) {
    if (!settings && !eeprom)
        return std::nullopt;
    Configuration read;
    read.instructionIndex = instructionIndex;
    read.settings = std::move(settings);
    read.eeprom = std::move(eeprom);
    return read;
}

EepromValues EepromValuesOfObject(const CInstructionProtocol& object) {
    const std::vector<std::uint16_t> image = object.GetEepromImage();
    if (const auto* vkla = dynamic_cast<const CVKLAInstruction*>(&object))
        return EepromValuesOfImage(3, image, vkla->GetIdText().toLocal8Bit());
    if (const auto* wn = dynamic_cast<const CWnInstruction*>(&object))
        return EepromValuesOfImage(object.InstructionIndex(), image, {}, wn->PrinterNames());
    return EepromValuesOfImage(object.InstructionIndex(), image);
}

ComparisonReport CompareWithSource(const Configuration& read, const QString& path, int languageIndex) {
    ComparisonReport report;
    // A snapshot is chosen by its folder or by the manifest inside it.
    const QFileInfo chosen(path);
    const QString source =
        chosen.fileName() == QLatin1String(kSnapshotManifest) ? chosen.absolutePath() : path;
    const QString shown = QDir::toNativeSeparators(source);
    const LoadedConfiguration loaded = LoadConfiguration(source, read.instructionIndex);
    if (!loaded.configuration) {
        report.text = loaded.error;
        return report;
    }
    const Configuration& other = *loaded.configuration;
    if (other.instructionIndex != read.instructionIndex) {
        report.text = FormatMessageText("CompareOtherLanguage", languageIndex, {shown});
        return report;
    }
    // A file without the part the screen shows has nothing to compare; "no differences" would
    // be a plainly wrong answer.
    if ((read.settings && !other.settings) || (read.eeprom && !other.eeprom)) {
        report.text = FormatMessageText("CompareNothing", languageIndex, {shown});
        return report;
    }
    const ConfigurationComparison comparison = CompareConfigurations(read, other, languageIndex);
    report.compared = true;
    report.equal = comparison.Equal();
    if (report.equal) {
        report.text = FormatMessageText("CompareSame", languageIndex, {shown});
        return report;
    }
    QStringList lines{FormatMessageText("CompareDiffers", languageIndex, {shown})};
    for (const ConfigurationDifference& d : comparison.differences) {
        const QString name = d.field.caption.isEmpty() ? d.field.key : d.field.caption;
        lines << FormatMessageText("CompareLine", languageIndex, {name, d.field.left, d.field.right});
    }
    report.text = lines.join(QLatin1Char('\n'));
    return report;
}

PrinterReading ReadPrinterInto(CInstructionProtocol& object, const tagPORTINFO& port, const QString& portText,
                               const QString& folder) {
    PrinterReading reading;
    const int index = object.InstructionIndex();
    Configuration& c = reading.configuration;
    c.instructionIndex = index;
    c.source = folder;
    c.port = portText;
    c.time = QDateTime::currentDateTimeUtc();
    const auto failed = [&](int code, const QString& what) {
        reading.code = code;
        const QString why = LastCommunicationFailure();
        reading.error = why.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, why);
        return reading;
    };
    if (const int code = object.ReadSettings(port))
        return failed(code, QStringLiteral("reading the print settings failed (error %1)").arg(code));
    if (const int code = object.BackupEeprom(port))
        return failed(code, QStringLiteral("reading the EEPROM failed (error %1)").arg(code));
    std::optional<NetworkSettings> network;
    if (index != kVkla) { // VKLA printers do not report their network settings
        try {
            network = object.ReadNetworkSettings(port);
        } catch (const CommunicationException& e) {
            return failed(
                e.GetErrorCode(),
                QStringLiteral("reading the network settings failed (error %1)").arg(e.GetErrorCode()));
        }
    }

    QDir dir(folder);
    QJsonObject files;
    const auto keep = [&](const QString& name) -> bool {
        const InputFileData data = ReadInputFile(dir.filePath(name), name == QLatin1String(kSnapshotEeprom)
                                                                         ? InputFileKind::EepromFile
                                                                         : InputFileKind::SettingsFile);
        if (!data.Ok())
            return false;
        files.insert(name, Sha256Of(data.bytes));
        return true;
    };
    const QString settingsName = SnapshotSettingsName(index);
    if (!object.SaveSettingsFile(dir.filePath(settingsName)) || !keep(settingsName))
        return failed(0, QStringLiteral("cannot write %1").arg(dir.filePath(settingsName)));
    if (!object.SaveEepromFile(dir.filePath(kSnapshotEeprom)) || !keep(kSnapshotEeprom))
        return failed(0, QStringLiteral("cannot write %1").arg(dir.filePath(kSnapshotEeprom)));
    if (network) {
        const QJsonObject net{{"ipAddress", AddressText(network->ipAddress)},
                              {"subnetMask", AddressText(network->subnetMask)},
                              {"gateway", AddressText(network->gateway)},
                              {"port", network->port}};
        const QByteArray bytes = QJsonDocument(net).toJson();
        if (!WriteFileAtomically(dir.filePath(kSnapshotNetwork), bytes))
            return failed(0, QStringLiteral("cannot write %1").arg(dir.filePath(kSnapshotNetwork)));
        files.insert(kSnapshotNetwork, Sha256Of(bytes));
    }
    const SettingsRecord record = object.GetSettingsRecord();
    for (const auto& [name, value] : SettingsFields(record))
        if (name == QLatin1String("FirmwareVersion"))
            c.firmwareVersion = value.toString();
    const QJsonObject manifest{{"format", 1},
                               {"language", InstructionName(index)},
                               {"port", portText},
                               {"firmwareVersion", c.firmwareVersion},
                               {"time", c.time.toString(Qt::ISODateWithMs)},
                               {"files", files}};
    if (!WriteFileAtomically(dir.filePath(kSnapshotManifest), QJsonDocument(manifest).toJson()))
        return failed(0, QStringLiteral("cannot write %1").arg(dir.filePath(kSnapshotManifest)));
    // The configuration as a profile would load it from these files.
    if (const QString why = LoadSettings(dir.filePath(settingsName), index, c); !why.isEmpty()) {
        // A printer may hold values the screens would not allow; keep what it holds.
        c.settings = record;
        c.settingsPath = dir.filePath(settingsName);
    }
    if (const QString why = LoadEeprom(dir.filePath(kSnapshotEeprom), index, c); !why.isEmpty())
        return failed(0, why);
    return reading;
}

CSnapshotFolder::CSnapshotFolder(const QString& target) : m_target(QFileInfo(target).absoluteFilePath()) {
    const QFileInfo info(m_target);
    if (!info.dir().exists()) {
        m_error = QStringLiteral("the folder %1 does not exist").arg(info.dir().path());
        return;
    }
    RemoveAbandoned(m_target);
    // The process id in the name lets a later snapshot tell an abandoned folder from one in use.
    QByteArray pattern = QFile::encodeName(
        info.dir().filePath(QStringLiteral(".%1.partial-%2-XXXXXX").arg(info.fileName()).arg(getpid())));
    if (!mkdtemp(pattern.data())) {
        m_error = QStringLiteral("cannot create a folder beside %1: %2")
                      .arg(m_target, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_path = QFile::decodeName(pattern);
}

CSnapshotFolder::~CSnapshotFolder() {
    if (!m_path.isEmpty())
        QDir(m_path).removeRecursively();
}

bool CSnapshotFolder::Place(bool replace) {
    if (m_path.isEmpty())
        return false;
    const QByteArray from = QFile::encodeName(m_path);
    const QByteArray to = QFile::encodeName(m_target);
    // No-replace even without an earlier check: a folder that appeared meanwhile is not replaced.
    if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        m_path.clear();
        SyncFolder(QFileInfo(m_target).dir().path());
        return true;
    }
    if (errno != EEXIST) {
        m_error = QStringLiteral("cannot put the snapshot at %1: %2")
                      .arg(m_target, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!replace) {
        m_error = QStringLiteral("%1 already exists; give --force to replace it").arg(m_target);
        return false;
    }
    if (!QFileInfo(m_target).isDir() || QFileInfo(m_target).isSymLink()) {
        m_error = QStringLiteral("%1 exists and is not a folder; it is not replaced").arg(m_target);
        return false;
    }
    // One exchange: the target is the old snapshot or the new one, never neither or half of one.
    if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) != 0) {
        m_error = QStringLiteral("cannot replace %1: %2")
                      .arg(m_target, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    SyncFolder(QFileInfo(m_target).dir().path());
    QDir(m_path).removeRecursively(); // now the old snapshot
    m_path.clear();
    return true;
}

} // namespace quillory
