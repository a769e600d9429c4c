// What every reading operation may take from a printer: only replies that answer the request in
// hand, in their known form. Anything else ends the operation with code 3 and keeps the previous
// values and backup.
#include "WordModel.h"
#include "instruction/Commands.h"
#include "instruction/Exchange.h"
#include "instruction/InstructionProtocol.h"
#include "instruction/VKLCInstruction.h"
#include "support/ScriptedPrinter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

const tagPORTINFO kPort = MakePortInfo(PORT_NET);

struct FormRow {
    const char* name;
    QByteArray reply;
    bool hex;
};

} // namespace

TEST(ReplyForms, NumbersVersionsAndTheWholeEepromRead) {
    const FormRow numbers[] = {
        {"four digits and CR LF", "0a3f\r\n", true},
        {"one digit", "8", true},
        {"upper case, zero padded", "00FF\r\n\0\0", true},
        {"eight digits", "fffffffb\r\n", true},
        {"nine digits", "123456789\r\n", false},
        {"empty", "", false},
        {"line end only", "\r\n", false},
        {"junk of the right length", "#GAR\r\n", false},
        {"a version text", "FV1.0\r\n", false},
        {"digits then junk", "12zz\r\n", false},
        {"two replies run together", "0001\r\n0002\r\n", false},
    };
    for (const FormRow& row : numbers)
        EXPECT_EQ(IsHexReply(row.reply), row.hex) << row.name;

    EXPECT_TRUE(IsVersionReply("Quillory virtual VKLZ FV1.0.0", 1024));
    EXPECT_TRUE(IsVersionReply("V2.10\tFV\r\n", 100));
    EXPECT_FALSE(IsVersionReply("", 1024));
    EXPECT_TRUE(IsVersionReply("", 1024, true)); // the languages that work without one
    EXPECT_FALSE(IsVersionReply(QByteArray(100, 'v'), 100)) << "a reply that fills its buffer never ended";
    EXPECT_FALSE(IsVersionReply("FV\x1b[2J", 1024)) << "terminal escapes are no version";
    EXPECT_FALSE(IsVersionReply(QByteArray("\x02\x03", 2), 1024));

    QByteArray dump;
    for (int i = 0; i < 256; ++i)
        dump += QByteArray::number(i * 257, 16).rightJustified(4, '0') + "\r\n";
    EXPECT_TRUE(IsDumpCollection(dump));
    EXPECT_FALSE(IsDumpCollection(dump.left(1535)));
    EXPECT_FALSE(IsDumpCollection(dump + "0"));
    EXPECT_FALSE(IsDumpCollection("\n" + dump.left(1535))) << "shifted by one byte";
    QByteArray junk = dump;
    junk[600] = 'G';
    EXPECT_FALSE(IsDumpCollection(junk));

    EXPECT_EQ(QuoteReply("ok\r\n\x1b"), QStringLiteral("\"ok\\x0d\\x0a\\x1b\""));
    EXPECT_TRUE(QuoteReply(QByteArray(100, 'a')).endsWith("... (100 bytes)\""));
}

TEST(ExchangeRules, BytesWaitingBeforeARequestAnswerAnEarlierOneAndAreDropped) {
    WordModel model;
    model.image[0x18] = 12; // 300 dpi
    ScriptedPrinter printer(std::ref(model));
    printer.QueueReply("0008\r\n"); // a late reply to someone else's query
    CVKLCInstruction vklc;
    ASSERT_EQ(vklc.ReadSettings(kPort), 0);
    EXPECT_EQ(vklc.GetSettings().DPI, 300);
    EXPECT_TRUE(printer.Events().contains("discard 6"));
}

TEST(ExchangeRules, EveryReadingOperationRefusesRepliesOfTheWrongForm) {
    TempEnvironment env;
    struct Junk {
        const char* name;
        std::function<QByteArray(const QByteArray&)> rewrite; // the model's reply in, the printer's out
    };
    const Junk kinds[] = {
        {"junk of the right length", [](const QByteArray& r) { return QByteArray(r.size(), '#'); }},
        {"a reply that fills the buffer", [](const QByteArray&) { return QByteArray(4096, '7'); }},
        {"two replies for one request", [](const QByteArray& r) { return r + r; }},
    };
    for (int language = 0; language < 5; ++language) {
        for (const Junk& junk : kinds) {
            WordModel model;
            std::unique_ptr<CInstructionProtocol> object = MakeInstruction(language);
            {
                ScriptedPrinter good(std::ref(model));
                ASSERT_EQ(object->BackupEeprom(kPort), 0);
                ASSERT_EQ(object->ReadSettings(kPort), 0);
            }
            const QByteArray backup = ReadFileBytes(object->BackupFilePath());
            ScriptedPrinter bad([&](const QByteArray& w) {
                const QByteArray reply = model(w);
                // The version and name texts stay; every number is junk.
                const bool number = w.contains("@eep,r,") || w.startsWith("\x02Ke");
                return number && !reply.isEmpty() ? junk.rewrite(reply) : reply;
            });
            const std::string what = InstructionName(language).toStdString() + ", " + junk.name;
            EXPECT_EQ(object->ReadSettings(kPort), 3) << what;
            EXPECT_EQ(object->BackupEeprom(kPort), 3) << what;
            EXPECT_EQ(ReadFileBytes(object->BackupFilePath()), backup) << what;
            EXPECT_FALSE(LastCommunicationFailure().isEmpty()) << what;
        }
    }
}

TEST(ExchangeRules, AnEndlessTalkerEndsTheReadInBoundedTime) {
    TempEnvironment env;
    for (int language = 0; language < 5; ++language) {
        std::unique_ptr<CInstructionProtocol> object = MakeInstruction(language);
        ScriptedPrinter printer;
        printer.Flood("0000\r\n");
        EXPECT_EQ(object->ReadSettings(kPort), 3) << language;
        EXPECT_EQ(object->BackupEeprom(kPort), 3) << language;
        EXPECT_FALSE(QFileInfo::exists(object->BackupFilePath())) << language;
    }
}

TEST(ExchangeRules, VersionChecksPerLanguage) {
    for (int language = 0; language < 5; ++language) {
        WordModel model;
        model.image[0x18] = 8;
        const bool requiresMarker = language == 1 || language == 3; // VKLE, VKLA
        for (const QByteArray& version : {QByteArray(), QByteArray("V2.1")}) {
            model.version = version;
            ScriptedPrinter printer(std::ref(model));
            std::unique_ptr<CInstructionProtocol> object = MakeInstruction(language);
            EXPECT_EQ(object->ReadSettings(kPort), requiresMarker ? 3 : 0)
                << InstructionName(language).toStdString() << " '" << version.toStdString() << "'";
        }
        model.version = "FV1\x07";
        ScriptedPrinter printer(std::ref(model));
        EXPECT_EQ(MakeInstruction(language)->ReadSettings(kPort), 3) << "a control byte in the version";
    }
}
