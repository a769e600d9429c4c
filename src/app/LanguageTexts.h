#pragma once

#include <QString>
#include <QStringList>

#include <map>

namespace quillory {

// What a screen offers to the language texts. Implemented by the screens (and by fakes in
// tests); every setter reports whether the screen has such a control.
class IScreenTexts {
public:
    virtual ~IScreenTexts() = default;
    virtual void SetCaption(const QString& caption) = 0;
    virtual bool SetControlText(int id, const QString& text) = 0;
    // Replaces the items of a list; select outside 0..items-1 leaves no item selected.
    virtual bool SetListItems(int id, const QStringList& items, int select) = 0;
    // Sets the caption of an existing tab; a tab index beyond the tabs changes nothing.
    virtual bool SetTabCaption(int id, int tab, const QString& caption) = 0;
};

// Keeps the texts a screen would get, by control id, for code that names fields without a screen.
class CCollectedScreenTexts final : public IScreenTexts {
public:
    void SetCaption(const QString&) override {}
    bool SetControlText(int id, const QString& text) override {
        texts[id] = text;
        return true;
    }
    bool SetListItems(int id, const QStringList& items, int) override {
        lists[id] = items;
        return true;
    }
    bool SetTabCaption(int, int, const QString&) override { return true; }

    std::map<int, QString> texts;
    std::map<int, QStringList> lists;
};

// Language file for a language index: 0 SimpleChinese.xml, 1 TraditionalChinese.xml, other English.xml.
[[nodiscard]] QString LanguageFileName(int languageIndex);
[[nodiscard]] QString LanguageFilePath(int languageIndex);

// Applies the texts of the first top-level element named element to screen. A missing file or
// element leaves the screen's texts as they are. The file is read afresh on every call.
void ApplyScreenTexts(const char* element, int languageIndex, IScreenTexts& screen);
// Variant reading a given file, for tests and tools.
void ApplyScreenTextsFromFile(const QString& path, const char* element, IScreenTexts& screen);

// Text of a message key (child of "Message"); empty when anything is missing.
[[nodiscard]] QString GetMessageText(const char* key, int languageIndex);
[[nodiscard]] QString GetMessageTextFromFile(const QString& path, const char* key);
// The text of a message key with its %1, %2 ... filled from args. A key the language file lacks
// gives the key and the arguments, so a message never comes out empty.
[[nodiscard]] QString FormatMessageText(const char* key, int languageIndex, const QStringList& args);

// The message keys of the communication error codes; nullptr for a code without a message.
[[nodiscard]] const char* CommErrorMessageKey(int code);

// Every message key the language files must carry.
[[nodiscard]] const QStringList& MessageKeys();

} // namespace quillory
