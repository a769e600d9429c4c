#pragma once

#include "app/LanguageTexts.h"
#include "support/TestEnvironment.h"

#include <map>

namespace quillory::test {

// What a language element offers a screen, by control id: texts, list entries, tab captions.
class CollectedTexts : public IScreenTexts {
public:
    void SetCaption(const QString&) override {}
    bool SetControlText(int id, const QString& text) override {
        if (!text.isEmpty())
            texts[id] = text;
        return true;
    }
    bool SetListItems(int id, const QStringList& items, int select) override {
        lists[id] = items;
        selects[id] = select;
        return true;
    }
    bool SetTabCaption(int id, int, const QString&) override {
        ++tabs[id];
        return true;
    }

    std::map<int, QString> texts;
    std::map<int, QStringList> lists;
    std::map<int, int> selects;
    std::map<int, int> tabs;
};

// The element of the shipped language file of a language index.
inline CollectedTexts CollectShippedTexts(int languageIndex, const char* element) {
    CollectedTexts texts;
    ApplyScreenTextsFromFile(BuildProgramFolder() + QStringLiteral("/Language/") +
                                 LanguageFileName(languageIndex),
                             element, texts);
    return texts;
}

} // namespace quillory::test
