#pragma once

#include "app/LanguageTexts.h"
#include "app/ui/Messages.h"
#include "app/ui/PageFactory.h"
#include "controls/NumberInputEdit.h"
#include "eeprom/ParameterTables.h"
#include "eeprom/ui/EepromScreen.h"
#include "instruction/Commands.h"
#include "support/ScreenFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace quillory::test {

inline std::unique_ptr<CEepromScreen> MakeEepromScreen(int instruction) {
    std::unique_ptr<CEepromScreen> screen(
        qobject_cast<CEepromScreen*>(CreateEepromScreen(instruction, nullptr)));
    screen->ApplyLanguage(LANGUAGE_ENGLISH);
    return screen;
}

inline QString Message(const char* key) {
    return GetMessageText(key, LANGUAGE_ENGLISH);
}

inline void Press(CEepromScreen& screen, int id) {
    auto* button = screen.ControlAs<QPushButton>(id);
    ASSERT_TRUE(button);
    ASSERT_TRUE(button->isEnabled()) << id;
    button->click();
    ASSERT_TRUE(WaitUntil([&] { return !screen.IsBusy(); }, 30000));
}

// Waits until the printer has taken the last command of the screen's EEPROM write (a write to a
// port that cannot read is not read back, so the exchange can end before the printer has seen
// everything).
inline bool WaitForEepromWrite(const CEepromScreen& screen, const sim::VirtualPrinter& printer) {
    const int instruction = screen.Blueprint().instruction;
    QByteArray tail = "\x02JX00\r\n";
    if (instruction != INSTRUCTION_VKLA) {
        const int entry = BitWriteOrder(instruction).back();
        const BitParameter& p = BitParameters(instruction)[std::size_t(entry)];
        tail = WnWriteBitsCommand(AddressText(p.address), p.first, p.last,
                                  screen.Instruction().GetParameters()[std::size_t(entry)]);
    }
    // The read that checks the write may follow it.
    return WaitUntil([&] { return printer.ReceivedBytes().contains(tail); }, 10000);
}

inline const EepromControlRow& Row(int instruction, int entry) {
    return EepromControls(instruction)[std::size_t(entry)];
}

inline QWidget* EntryControl(const CEepromScreen& screen, int entry) {
    CEepromPage* page = screen.PageOf(entry);
    EXPECT_TRUE(page) << "no page shows entry " << entry;
    return page ? page->EntryControl(entry) : nullptr;
}

inline QComboBox* List(const CEepromScreen& screen, int entry) {
    return qobject_cast<QComboBox*>(EntryControl(screen, entry));
}

inline CNumberInputEdit* Number(const CEepromScreen& screen, int entry) {
    return qobject_cast<CNumberInputEdit*>(EntryControl(screen, entry));
}

inline QLineEdit* Text(const CEepromScreen& screen, int entry) {
    return qobject_cast<QLineEdit*>(EntryControl(screen, entry));
}

// Types a number into a field as the operator would and leaves it.
inline void SetNumber(const CEepromScreen& screen, int entry, int value) {
    CNumberInputEdit* field = Number(screen, entry);
    ASSERT_TRUE(field);
    field->setText(QString::number(value));
    emit field->editingFinished();
}

// The stored value a control stands for.
inline int ShownValue(const CEepromScreen& screen, const EepromControlRow& row) {
    if (row.kind == EepromControlKind::List)
        return EepromValueOfPosition(row.conversion, List(screen, row.entry)->currentIndex());
    return EepromValueOfPosition(row.conversion, int(Number(screen, row.entry)->GetValue()));
}

// Every control of every page, to prove that something changed nothing.
inline QStringList Shown(const CEepromScreen& screen) {
    QStringList shown;
    for (CEepromPage* page : screen.Tabs()->Pages()) {
        for (const int id : page->ControlIds()) {
            QWidget* w = page->Control(id);
            if (auto* list = qobject_cast<QComboBox*>(w))
                shown
                    << QStringLiteral("%1/%2=#%3").arg(page->PageNumber()).arg(id).arg(list->currentIndex());
            else if (auto* edit = qobject_cast<QLineEdit*>(w))
                shown << QStringLiteral("%1/%2=%3").arg(page->PageNumber()).arg(id).arg(edit->text());
        }
    }
    return shown;
}

} // namespace quillory::test
