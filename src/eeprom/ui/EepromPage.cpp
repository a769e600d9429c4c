#include "eeprom/ui/EepromPage.h"

#include "controls/NumberInputEdit.h"
#include "controls/TooptipStatic.h"
#include "eeprom/ParameterTables.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace quillory {
namespace {

constexpr int kControlWidth = 100;
// Number fields show four digits ("%04d") unless a value needs more.
constexpr int kNumberDigits = 4;

bool IsNumber(const EepromControlRow& row) {
    return row.kind == EepromControlKind::Number || row.kind == EepromControlKind::ReadOnlyNumber;
}

// How many characters the operator may type: four, or as many as the range needs.
int TypingLimit(const EepromControlRow& row) {
    const qsizetype widest =
        std::max(QString::number(row.minimum).size(), QString::number(row.maximum).size());
    return std::max(kNumberDigits, int(widest));
}

} // namespace

CEepromPage::CEepromPage(int instruction, int page, const char* element, QWidget* parent)
    : CScreenBase(element, parent), m_instruction(instruction), m_page(page) {
    Build();
    BuildLayout();
}

void CEepromPage::Build() {
    for (const EepromControlRow& row : EepromControls(m_instruction)) {
        if (row.page != m_page)
            continue;
        Bound bound;
        bound.row = &row;
        const int entry = row.entry;
        switch (row.kind) {
        case EepromControlKind::List: {
            auto* list = AddControl(row.id, new QComboBox(this));
            list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            for (const char* text : EepromFixedListTexts(row.fixedList))
                list->addItem(QString::fromLatin1(text));
            connect(list, &QComboBox::currentIndexChanged, this, [this, entry] {
                if (!m_filling)
                    emit entryEdited(entry);
            });
            bound.control = list;
            break;
        }
        case EepromControlKind::Number:
        case EepromControlKind::ReadOnlyNumber: {
            auto* field = AddControl(row.id, new CNumberInputEdit(this));
            field->SetMode(CNumberInputRules::Decimal);
            field->SetRange(row.minimum, row.maximum);
            field->SetDefault(row.initial);
            field->setMaxLength(TypingLimit(row));
            field->setAlignment(Qt::AlignRight);
            // Entries the printer is never sent are shown read-only rather than taken and dropped.
            if (row.kind == EepromControlKind::ReadOnlyNumber || !EepromEntryWritten(m_instruction, entry)) {
                field->setReadOnly(true);
                QPalette palette = field->palette();
                palette.setColor(QPalette::Base, palette.color(QPalette::Window));
                field->setPalette(palette);
            }
            connect(field, &QLineEdit::textChanged, this, [this, entry] {
                if (!m_filling)
                    emit entryEdited(entry);
            });
            connect(field, &QLineEdit::editingFinished, this, [this, entry] {
                if (Bound* b = Find(entry))
                    SettleNumber(*b);
            });
            bound.control = field;
            break;
        }
        case EepromControlKind::Text: {
            auto* field = AddControl(row.id, new QLineEdit(this));
            field->setMaxLength(kVklaIdTextChars);
            connect(field, &QLineEdit::textChanged, this, [this, entry] {
                if (!m_filling)
                    emit entryEdited(entry);
            });
            bound.control = field;
            break;
        }
        }
        // Lists grow to their longest entry and a column takes the width of its widest list;
        // fields fill the column whatever their own preferred width.
        bound.control->setMinimumWidth(kControlWidth);
        if (row.kind != EepromControlKind::List)
            bound.control->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        auto* caption = AddControl(kEepromCaptionOffset + row.id, new CTooptipStatic(this));
        if (row.tip)
            caption->SetTooltipText(EepromAddressTip(m_instruction, entry));
        m_bound.push_back(bound);
        if (IsNumber(row)) {
            m_filling = true;
            ShowNumber(m_bound.back(), row.initial);
            m_filling = false;
        }
    }
    if (m_instruction == 3 && m_page == 3) {
        // A field of the page that nothing fills or reads.
        auto* hidden = AddControl(kVklaHiddenFieldId, new CNumberInputEdit(this));
        hidden->hide();
    }
}

void CEepromPage::BuildLayout() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 8, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnMinimumWidth(2, 4);
    const int rows = int(m_bound.size() + 1) / 2;
    for (int i = 0; i < int(m_bound.size()); ++i) {
        const Bound& b = m_bound[std::size_t(i)];
        const int column = i < rows ? 0 : 3;
        grid->addWidget(Control(kEepromCaptionOffset + b.row->id), i % rows, column);
        grid->addWidget(b.control, i % rows, column + 1);
    }
    grid->setColumnMinimumWidth(1, kControlWidth);
    grid->setColumnMinimumWidth(4, kControlWidth);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(rows, 1);
}

CEepromPage::Bound* CEepromPage::Find(int entry) {
    for (Bound& b : m_bound) {
        if (b.row->entry == entry)
            return &b;
    }
    return nullptr;
}

const CEepromPage::Bound* CEepromPage::Find(int entry) const {
    return const_cast<CEepromPage*>(this)->Find(entry);
}

bool CEepromPage::HasEntry(int entry) const {
    return Find(entry) != nullptr;
}

QWidget* CEepromPage::EntryControl(int entry) const {
    const Bound* b = Find(entry);
    return b ? b->control : nullptr;
}

void CEepromPage::ShowNumber(Bound& bound, int value) {
    auto* field = static_cast<CNumberInputEdit*>(bound.control);
    // Shown whole even when the stored value lies outside the range or needs more digits than
    // may be typed: the field must never show (and give back) a different number.
    const QString text = field->Rules().Format(value, kNumberDigits);
    if (text.size() > field->maxLength())
        field->setMaxLength(int(text.size()));
    field->setText(text);
}

void CEepromPage::SettleNumber(Bound& bound) {
    auto* field = static_cast<CNumberInputEdit*>(bound.control);
    if (field->isReadOnly() || (bound.filled && field->text() == bound.text))
        return;
    // A typed value outside the field's range is brought to its nearest limit.
    const long long typed = field->GetValue();
    const long long value = std::clamp<long long>(typed, bound.row->minimum, bound.row->maximum);
    const QString text = field->Rules().Format(value, kNumberDigits);
    if (text != field->text())
        field->setText(text);
}

void CEepromPage::Fill(const std::vector<int>& parameters, const QString& idText) {
    m_filling = true;
    for (Bound& b : m_bound) {
        const std::size_t entry = b.row->entry;
        b.filled = true;
        b.value = entry < parameters.size() ? parameters[entry] : 0;
        switch (b.row->kind) {
        case EepromControlKind::List: {
            auto* list = static_cast<QComboBox*>(b.control);
            const int position = EepromPositionOfValue(b.row->conversion, b.value);
            b.position = position >= 0 && position < list->count() ? position : -1;
            list->setCurrentIndex(b.position);
            break;
        }
        case EepromControlKind::Number:
        case EepromControlKind::ReadOnlyNumber:
            ShowNumber(b, EepromPositionOfValue(b.row->conversion, b.value));
            b.text = static_cast<CNumberInputEdit*>(b.control)->text();
            break;
        case EepromControlKind::Text: {
            auto* field = static_cast<QLineEdit*>(b.control);
            b.storedText = idText;
            field->setText(idText);
            b.text = field->text();
            break;
        }
        }
    }
    m_filling = false;
}

int CEepromPage::Collected(const Bound& b, int current) const {
    switch (b.row->kind) {
    case EepromControlKind::List: {
        const int position = static_cast<QComboBox*>(b.control)->currentIndex();
        if (b.filled && position == b.position)
            return b.value;
        return position < 0 ? current : EepromValueOfPosition(b.row->conversion, position);
    }
    case EepromControlKind::Number:
    case EepromControlKind::ReadOnlyNumber: {
        const auto* field = static_cast<CNumberInputEdit*>(b.control);
        if (b.filled && field->text() == b.text)
            return b.value;
        return EepromValueOfPosition(
            b.row->conversion, int(std::clamp<long long>(field->GetValue(), b.row->minimum, b.row->maximum)));
    }
    case EepromControlKind::Text:
        break;
    }
    return current;
}

QString CEepromPage::CollectedText(const Bound& b) const {
    const QString text = static_cast<QLineEdit*>(b.control)->text();
    return b.filled && text == b.text ? b.storedText : text;
}

void CEepromPage::CollectEntry(int entry, std::vector<int>& parameters) const {
    const Bound* b = Find(entry);
    if (!b || entry < 0 || std::size_t(entry) >= parameters.size() || b->row->kind == EepromControlKind::Text)
        return;
    parameters[std::size_t(entry)] = Collected(*b, parameters[std::size_t(entry)]);
}

void CEepromPage::Collect(std::vector<int>& parameters, QString* idText) const {
    for (const Bound& b : m_bound) {
        if (b.row->kind == EepromControlKind::Text) {
            if (idText)
                *idText = CollectedText(b);
            continue;
        }
        CollectEntry(b.row->entry, parameters);
    }
}

void CEepromPage::ApplyLanguage(int languageIndex) {
    // The language file refills the lists and selects its own entries; what the page showed
    // stays shown.
    const bool again = AppliedLanguage() >= 0;
    std::vector<std::pair<Bound*, int>> kept;
    for (Bound& b : m_bound) {
        if (b.row->kind == EepromControlKind::List && (again || b.filled))
            kept.emplace_back(&b, again ? static_cast<QComboBox*>(b.control)->currentIndex() : b.position);
    }
    CScreenBase::ApplyLanguage(languageIndex);
    for (const auto& [b, index] : kept) {
        auto* list = static_cast<QComboBox*>(b->control);
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(index < list->count() ? index : -1);
        // A position the texts did not offer before the fill can be shown now.
        if (b->filled && !again) {
            const int position = EepromPositionOfValue(b->row->conversion, b->value);
            b->position = position >= 0 && position < list->count() ? position : -1;
            list->setCurrentIndex(b->position);
        }
    }
}

} // namespace quillory
