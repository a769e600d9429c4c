// Settings files (*SET) and the INI layer under them: any bytes must load without harm, and a
// record that loaded must come back unchanged from its own saved file.
#include "FuzzSupport.h"

#include "app/ProfileFile.h"
#include "settings/PrintSettings.h"

#include <QVariant>

using namespace quillory;

namespace {

// The values a settings file carries (a hand-edited file may hold more, which is not written back).
QByteArray Describe(const SettingsRecord& record) {
    const std::vector<const char*> keys = SettingsFileKeys(InstructionIndexOf(record));
    QByteArray out;
    for (const auto& [name, value] : SettingsFields(record)) {
        const QByteArray key = name.toLatin1();
        if (std::any_of(keys.begin(), keys.end(), [&](const char* k) { return key == k; }))
            out += key + '=' + value.toString().toUtf8() + '\n';
    }
    return out;
}

void CheckProfileReads(const CProfileFile& file) {
    for (const char* section : {"First", "Main", "first", ""}) {
        const QString s = QString::fromLatin1(section);
        (void)file.HasSection(s);
        for (const char* key : {"DPI", "Unit", "PaperHeight", "CommMode", "dpi", ""}) {
            const QString k = QString::fromLatin1(key);
            const QString text = file.GetString(s, k, QStringLiteral("fallback"), 40);
            FUZZ_CHECK(text.size() <= 40);
            (void)file.GetInt(s, k, QStringLiteral("7"));
            FUZZ_CHECK(file.HasKey(s, k) || text == QStringLiteral("fallback"));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::InitFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString input = fuzz::ScratchPath("input.SET");
    static const QString saved = fuzz::ScratchPath("saved.SET");
    fuzz::WriteScratchFile(input, fuzz::InputBytes(data, size));

    CProfileFile profile(input);
    FUZZ_CHECK(profile.Load());
    CheckProfileReads(profile);

    for (int index = 0; index <= 4; ++index) {
        SettingsRecord record = MakeSettingsRecord(index);
        // A file that is refused leaves the record as it was; only an accepted one loads.
        const bool loaded = LoadSettingsRecord(record, input);
        FUZZ_CHECK(loaded == CheckSettingsFile(input, index).Ok());
        if (!loaded) {
            FUZZ_CHECK_EQ(Describe(record), Describe(MakeSettingsRecord(index)));
            continue;
        }
        FUZZ_CHECK(InstructionIndexOf(record) == index);
        FUZZ_CHECK(IsValidDpi(std::visit([](const auto& r) { return r.DPI; }, record)));

        // What was loaded must survive its own file unchanged.
        FUZZ_CHECK(SaveSettingsRecord(record, saved));
        SettingsRecord reloaded = MakeSettingsRecord(index);
        FUZZ_CHECK(LoadSettingsRecord(reloaded, saved));
        FUZZ_CHECK_EQ(Describe(record), Describe(reloaded));
    }
    return 0;
}
