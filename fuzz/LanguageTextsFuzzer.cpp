// Language files: any XML (or not-XML) must apply texts without harm, within the limits the
// screens rely on.
#include "FuzzSupport.h"

#include "app/LanguageTexts.h"

using namespace quillory;

namespace {

constexpr int kMaxTextChars = 1023;

class FakeScreen final : public IScreenTexts {
public:
    void SetCaption(const QString& caption) override { FUZZ_CHECK(caption.size() <= kMaxTextChars); }
    bool SetControlText(int, const QString& text) override {
        FUZZ_CHECK(text.size() <= kMaxTextChars);
        return true;
    }
    bool SetListItems(int, const QStringList& items, int) override {
        for (const QString& item : items)
            FUZZ_CHECK(item.size() <= kMaxTextChars);
        return true;
    }
    bool SetTabCaption(int, int tab, const QString& caption) override {
        FUZZ_CHECK(tab >= 0 && caption.size() <= kMaxTextChars);
        return true;
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::InitFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = fuzz::ScratchPath("texts.xml");
    fuzz::WriteScratchFile(path, fuzz::InputBytes(data, size));

    FakeScreen screen;
    for (const char* element :
         {"MainDlg", "MainSetDlg", "PasswordDlg", "AboutDlg", "DebugDlg", "Message", ""})
        ApplyScreenTextsFromFile(path, element, screen);
    for (const QString& key : MessageKeys()) {
        const QString text = GetMessageTextFromFile(path, key.toLatin1().constData());
        FUZZ_CHECK(text.size() <= kMaxTextChars);
    }
    (void)GetMessageTextFromFile(path, "");
    (void)GetMessageTextFromFile(path, nullptr);
    return 0;
}
