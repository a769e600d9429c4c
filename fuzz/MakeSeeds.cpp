// Writes the seed corpus of every fuzz target from the program's own writers, so the seeds are
// well-formed files and transcripts that the fuzzer then bends:
//     quillory_fuzz_seeds <corpus folder> <language folder>
#include "FuzzSupport.h"

#include "app/AtomicFile.h"
#include "eeprom/EepromFile.h"
#include "instruction/Commands.h"
#include "instruction/InstructionProtocol.h"
#include "port/backends/SearchPackets.h"
#include "settings/PrintSettings.h"
#include "tools/DebugCodecs.h"
#include "tools/imaging/CxImage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdio>
#include <cstring>

using namespace quillory;

namespace {

QString gCorpus;

void Seed(const char* target, const QString& name, const QByteArray& bytes) {
    const QString folder = gCorpus + QLatin1Char('/') + QLatin1String(target);
    if (!QDir().mkpath(folder) || !WriteFileAtomically(folder + QLatin1Char('/') + name, bytes)) {
        std::fprintf(stderr, "cannot write the seed %s/%s\n", target, qPrintable(name));
        std::exit(1);
    }
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SettingsSeeds() {
    for (int index = 0; index <= 4; ++index) {
        SettingsRecord record = MakeSettingsRecord(index);
        for (const char* key : {"PaperHeight", "PaperWidth", "GapHeight", "PrintSpeed", "PrintDarkness"})
            (void)SetSettingsField(record, QLatin1String(key), 240 + index);
        (void)SetSettingsField(record, QStringLiteral("DPI"), 300);
        (void)SetSettingsField(record, QStringLiteral("HoriPrintPositionOffset"), -16);
        const QString path = fuzz::ScratchPath("seed.SET");
        if (!SaveSettingsRecord(record, path))
            std::exit(1);
        Seed("settings_file", SettingsFileExtension(index), ReadAll(path));
    }
    Seed("settings_file", QStringLiteral("Setting.ini"), "[Main]\r\nCommMode=0\r\nInstruction=3\r\n");
}

void EepromSeeds() {
    WnImage image{};
    for (std::size_t a = 0; a < image.size(); ++a)
        image[a] = std::uint16_t(a * 0x0101 + 7);
    PrinterNameTexts names{"LP-200", "Zorv LP-200", "12,-3,0,5"};
    Seed("eeprom_file", QStringLiteral("wn-reset.eep"), BuildWnEepromFile(image, names, true));
    Seed("eeprom_file", QStringLiteral("wn-plain.eep"), BuildWnEepromFile(image, {}, false));
    VklaImage vkla{};
    for (std::size_t a = 0; a < vkla.size(); ++a)
        vkla[a] = std::uint16_t(0xF000 - a * 3);
    Seed("eeprom_file", QStringLiteral("vkla.eep"), BuildVklaEepromFile(vkla, "LABEL-ID 42"));
}

void LanguageSeeds(const QString& languageFolder) {
    for (const char* name : {"English.xml", "SimpleChinese.xml", "TraditionalChinese.xml"})
        Seed("language_texts", QLatin1String(name),
             ReadAll(languageFolder + QLatin1Char('/') + QLatin1String(name)));
    Seed("language_texts", QStringLiteral("lists.xml"),
         R"(<?xml version="1.0" encoding="UTF-8"?>
<DebugDlg title="Debug"><Static ID="1" text="a"/><Commbox ID="2" select="1"><Item text="x"/><Item text="y"/></Commbox>
<TabCtrl ID="3"><Item text="one"/><Item text="two"/></TabCtrl><Button ID="4" text="b"/></DebugDlg>
<Message><OpenPortError text="&lt;open&gt;"/></Message>)");
}

void DebugSeeds() {
    const QByteArray text = "A<\\x01>B<\\x1b>A<\\x7>~WN01@version~\r\n<abcd>x";
    Seed("debug_codecs", QStringLiteral("text"), text);
    Seed("debug_codecs", QStringLiteral("hex"), TextViewToHexView(text));
    Seed("debug_codecs", QStringLiteral("bytes"), BytesToTextView(QByteArray("\x00\x01<\xff\r\n z", 9)));
    Seed("debug_codecs", QStringLiteral("loose-hex"), "1b 41 0d 0a F\r\n0 d a 7");
}

void ReplySeeds() {
    Seed("printer_replies", QStringLiteral("word"),
         "\x0a"
         "00a8\r\n");
    Seed("printer_replies", QStringLiteral("bits"),
         "\x1e"
         "1f\r\n\0junk");
    Seed("printer_replies", QStringLiteral("listing"),
         "\x0a"
         "MODULE: FLASH\r\nFONT1.FNT\r\nLOGO.PCX\r\nAVAILABLE BYTES IN MODULE: 1024\r\n");
}

// A printer model that answers every read command of every language, and records its replies as
// the script the exchange fuzzer plays back.
class ModelConnection final : public CCommunicationProtocol {
public:
    explicit ModelConnection(QList<QByteArray>* replies) : m_replies(replies) {}
    void Open(tagPORTINFO) override {
        if (m_replies->isEmpty())
            m_replies->append(QByteArray());
    }
    void Read(std::uint8_t* buffer, int capacity, int* count) override {
        const int n = std::min<int>(capacity, int(m_pending.size()));
        std::memcpy(buffer, m_pending.constData(), std::size_t(n));
        m_pending.remove(0, n);
        *count = n;
    }
    void Write(const std::uint8_t* data, int length, int* count) override {
        const QByteArray reply = Answer(QByteArray(reinterpret_cast<const char*>(data), length));
        m_replies->append(reply);
        m_pending += reply;
        *count = length;
    }
    void SetTimeouts(int, int) override {}
    void Close() override {}

private:
    static QByteArray Word(unsigned value) {
        return QByteArray::number(value & 0xFFFF, 16).rightJustified(4, '0');
    }
    static QByteArray Answer(const QByteArray& command) {
        if (command == WnVersionQuery() || command == VklaVersionQuery())
            return "FV1.24 label printer\r\n";
        if (command.startsWith("~WN00@eep,r,") && command.indexOf('~', 1) > 0)
            return Word(ParseLeadingHexAt(command, 12) * 3 + 8) + "\r\n";
        if (command.startsWith("~WN00@eep,r,"))
            return Word(ParseLeadingHexAt(command, 12) * 257) + "\r\n";
        if (command.startsWith("~WN00@ini,r,"))
            return command.mid(12, 6);
        if (command.startsWith("\x02Ke"))
            return Word(ParseLeadingHexAt(command, 3) + 0x50);
        if (command.startsWith("\x1dI"))
            return "PRINTER-ID\r\n\0\0\0\0";
        if (command == "\x02WF\r\n")
            return "MODULE: FLASH\r\nFONT1.FNT\r\nFONT2.FNT\r\nAVAILABLE BYTES IN MODULE: 4096\r\n";
        if (command == "\x02WG\r\n")
            return "MODULE: RAM\r\nLOGO.PCX\r\nAVAILABLE BYTES IN MODULE: 512\r\n";
        return {};
    }
    static unsigned ParseLeadingHexAt(const QByteArray& text, qsizetype at) {
        unsigned value = 0;
        for (qsizetype i = at; i < text.size() && i < at + 2; ++i)
            value = value * 16 + unsigned(QByteArray(1, text[i]).toUInt(nullptr, 16));
        return value;
    }

    QList<QByteArray>* m_replies;
    QByteArray m_pending;
};

void ExchangeSeeds() {
    const char* const operations[] = {"read-settings", "backup", "network", "font-list", "graphic-list"};
    for (int language = 0; language <= 4; ++language) {
        for (int operation = 0; operation < 5; ++operation) {
            QList<QByteArray> replies;
            CCommunicationFactory::SetConnectionMaker(
                [&replies](const tagPORTINFO&) { return std::make_unique<ModelConnection>(&replies); });
            const std::unique_ptr<CInstructionProtocol> instruction = MakeInstruction(language);
            const tagPORTINFO port = MakePortInfo(PORT_NET);
            int result = 0;
            switch (operation) {
            case 0:
                result = instruction->ReadSettings(port);
                break;
            case 1:
                result = instruction->BackupEeprom(port);
                break;
            case 2:
                (void)instruction->ReadNetworkSettings(port);
                break;
            case 3:
                result = instruction->PrintFontList(port);
                break;
            default:
                result = instruction->PrintGraphicList(port);
                break;
            }
            CCommunicationFactory::SetConnectionMaker({});
            if (result != 0) {
                std::fprintf(stderr, "the model printer failed %s of %s: %d\n", operations[operation],
                             qPrintable(InstructionName(language)), result);
                std::exit(1);
            }
            if (replies.isEmpty())
                continue; // an operation this language leaves empty
            Seed("instruction_exchange",
                 InstructionName(language) + QLatin1Char('-') + QLatin1String(operations[operation]),
                 QByteArray(1, char(language)) + char(operation) + fuzz::ReplyScript::Encode(replies));
        }
    }
}

QByteArray Tlv(char tag, const QByteArray& content) {
    return QByteArray(1, tag) + char(content.size()) + content;
}

void SearchSeeds() {
    const QByteArray oid("\x2b\x06\x01\x02\x01\x01\x01\x00", 8);
    const QByteArray bind = Tlv(0x30, Tlv(0x30, Tlv(0x06, oid) + Tlv(0x04, "Label printer LP-200")));
    const QByteArray pdu =
        Tlv(0x02, "\x12\x34\x56") + Tlv(0x02, QByteArray(1, 0)) + Tlv(0x02, QByteArray(1, 0)) + bind;
    Seed("search_replies", QStringLiteral("snmp-response"),
         Tlv(0x30, Tlv(0x02, QByteArray(1, 0)) + Tlv(0x04, "public") + Tlv(char(0xA2), pdu)));
    Seed("search_replies", QStringLiteral("snmp-request"), BuildSnmpSysDescrRequest(0x123456));
    // The answers to the follow-up questions: a printer device (SNMPv1), the end of the MIB (v2c).
    snmp::Message device;
    device.type = snmp::PduType::Response;
    device.requestId = 0x123458;
    device.varBinds = {{kHrDeviceTypeColumn + snmp::Oid{1}, snmp::ObjectId(kHrDevicePrinter)}};
    Seed("search_replies", QStringLiteral("snmp-device-type"), snmp::EncodeMessage(device));
    snmp::Message end = device;
    end.version = snmp::kVersion2c;
    end.varBinds = {{kPrinterMib, snmp::Exception(snmp::kEndOfMibView)}};
    Seed("search_replies", QStringLiteral("snmp-end-of-mib"), snmp::EncodeMessage(end));

    // A response that echoes the question, answers with a compressed PTR and adds an A record.
    QByteArray dns = BuildDnsSdQuery(0x4242);
    dns[2] = char(0x84);
    dns[7] = 2; // answers
    dns += QByteArray("\xc0\x0c\x00\x0c\x00\x01\x00\x00\x00\x78\x00\x0a", 12);
    dns += QByteArray("\x07printer\xc0\x0c", 10);
    dns += QByteArray("\x07printer\x05local\x00\x00\x01\x80\x01\x00\x00\x00\x78\x00\x04\x7f\x00\x00\x01", 29);
    Seed("search_replies", QStringLiteral("dnssd-response"), dns);
    Seed("search_replies", QStringLiteral("dnssd-query"), BuildDnsSdQuery(7));
    Seed("search_replies", QStringLiteral("targets"), "127.0.0.1:161, 127.0.0.2:5353,127.0.0.1:161,::1:5");
}

void LogoSeeds() {
    QImage picture(40, 12, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 0; x < picture.width(); ++x)
        picture.setPixel(x, x % picture.height(), qRgb(0, 0, 0));
    for (const char* format : {"PNG", "BMP", "JPG", "PPM", "XPM"}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, format))
            continue;
        Seed("logo_import", QStringLiteral("picture.") + QString::fromLatin1(format).toLower(),
             buffer.data());
    }
    CxImage logo;
    const QByteArray bmp = [&] {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "BMP");
        return buffer.data();
    }();
    if (logo.Decode(reinterpret_cast<const std::uint8_t*>(bmp.constData()), std::uint32_t(bmp.size()), 0) &&
        logo.Threshold(128) && logo.Resample(128, 32)) {
        std::uint8_t* encoded = nullptr;
        std::int32_t size = 0;
        if (logo.Encode(encoded, size, CxImage::CXIMAGE_FORMAT_BMP)) {
            Seed("logo_import", QStringLiteral("mono.bmp"),
                 QByteArray(reinterpret_cast<const char*>(encoded), size));
            CxImage::FreeMemory(encoded);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER LANGUAGE_FOLDER\n", argv[0]);
        return 64;
    }
    fuzz::InitFuzzing(&argc, &argv);
    gCorpus = QString::fromLocal8Bit(argv[1]);
    SettingsSeeds();
    EepromSeeds();
    LanguageSeeds(QString::fromLocal8Bit(argv[2]));
    DebugSeeds();
    ReplySeeds();
    ExchangeSeeds();
    SearchSeeds();
    LogoSeeds();
    return 0;
}
