// Whole read operations of every command language against a printer whose every reply comes
// from the fuzz input: no reply may crash an operation, hang it, or be reported as a success
// that left the object with values it cannot hold.
#include "FuzzSupport.h"

#include "eeprom/EepromFile.h"
#include "instruction/InstructionProtocol.h"

using namespace quillory;

namespace {

const tagPORTINFO kPort = MakePortInfo(PORT_NET);

enum Operation {
    kReadSettings,
    kBackupEeprom,
    kReadNetworkSettings,
    kPrintFontList,
    kPrintGraphicList,
    kCount
};

void CheckSettings(const SettingsRecord& record) {
    std::visit(
        [](const auto& s) {
            FUZZ_CHECK(IsValidDpi(s.DPI));
            FUZZ_CHECK(s.Unit >= 0 && s.Unit <= 2);
        },
        record);
    if (const auto* vklz = std::get_if<VKLZSettings>(&record))
        FUZZ_CHECK(vklz->PrintSpeed >= 0 && vklz->PrintSpeed <= 4);
    if (const auto* vklc = std::get_if<VKLCSettings>(&record))
        FUZZ_CHECK(vklc->PrintSpeed >= 0 && vklc->PrintSpeed <= 5);
    if (const auto* vkle = std::get_if<VKLESettings>(&record))
        FUZZ_CHECK(vkle->PrintDarkness >= 0 && vkle->PrintDarkness <= 15 && vkle->CodePage >= 0 &&
                   vkle->CodePage <= 19);
}

// The backup just written must load back into the image that was read.
void CheckBackup(const CInstructionProtocol& read) {
    const std::unique_ptr<CInstructionProtocol> loaded = MakeInstruction(read.InstructionIndex());
    FUZZ_CHECK(loaded->LoadEepromFile(read.BackupFilePath()) == 1);
    const std::vector<std::uint16_t> expected = read.GetEepromImage();
    const std::vector<std::uint16_t> actual = loaded->GetEepromImage();
    FUZZ_CHECK(expected.size() == actual.size());
    for (std::size_t a = 0; a < expected.size(); ++a) {
        // VKLA files leave out a few addresses.
        if (read.InstructionIndex() != 3 || VklaFileHasAddress(int(a)))
            FUZZ_CHECK(expected[a] == actual[a]);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::InitFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const int language = data[0] % 5;
    const int operation = data[1] % kCount;
    const std::unique_ptr<CInstructionProtocol> instruction = MakeInstruction(language);
    fuzz::ScriptedConnections printer(fuzz::InputBytes(data + 2, size - 2));

    switch (operation) {
    case kReadSettings: {
        const int result = instruction->ReadSettings(kPort);
        FUZZ_CHECK(result == 0 || result == COMM_FAILED);
        if (result == 0)
            CheckSettings(instruction->GetSettingsRecord());
        break;
    }
    case kBackupEeprom: {
        const std::vector<std::uint16_t> before = instruction->GetEepromImage();
        const int result = instruction->BackupEeprom(kPort);
        FUZZ_CHECK(result == 0 || result == COMM_FAILED);
        if (result == 0)
            CheckBackup(*instruction);
        else
            FUZZ_CHECK(instruction->GetEepromImage() == before);
        break;
    }
    case kReadNetworkSettings:
        try {
            (void)instruction->ReadNetworkSettings(kPort);
        } catch (const CommunicationException& e) {
            FUZZ_CHECK(e.GetErrorCode() == COMM_FAILED);
        }
        break;
    case kPrintFontList:
    case kPrintGraphicList: {
        const int result = operation == kPrintFontList ? instruction->PrintFontList(kPort)
                                                       : instruction->PrintGraphicList(kPort);
        FUZZ_CHECK(result == 0 || result == COMM_FAILED);
        break;
    }
    }
    return 0;
}
