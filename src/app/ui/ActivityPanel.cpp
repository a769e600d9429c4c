#include "app/ui/ActivityPanel.h"

#include "app/AppSettings.h"
#include "app/AtomicFile.h"
#include "app/ui/Activity.h"
#include "app/ui/FileDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quillory {
namespace {

const QColor kSuccessColour(0x2e, 0x8b, 0x57);
const QColor kFailureColour(0xc6, 0x28, 0x28);
const QColor kLineText(0x1c, 0x33, 0x4d);

constexpr std::array<const char*, CActivityLogView::kColumnCount> kBuiltInHeaders{
    "Time", "Page", "Operation", "Port", "Result", "Message",
};
// Widths of the page and operation columns; the others fit their contents, the message takes the rest.
constexpr int kPageColumnWidth = 88;
constexpr int kOperationColumnWidth = 92;
constexpr int kColumnPadding = 14;
// The log lies over the page: a frame and a band of the accent colour set it apart.
const QColor kFrame(0xb3, 0xbe, 0xca);
const QColor kAccent(0x15, 0x8d, 0xa2);

QPixmap Mark(const QColor& colour) {
    QPixmap mark(10, 10);
    mark.fill(Qt::transparent);
    QPainter p(&mark);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(0.5, 0.5, 9, 9));
    return mark;
}

QString LogKeyText() {
    return QKeySequence(Qt::CTRL | Qt::Key_L).toString(QKeySequence::NativeText);
}

} // namespace

CActivityLogView::CActivityLogView(QWidget* parent) : CScreenBase("ActivityLog", parent) {
    m_title = AddControl(IDC_TITLE, new QLabel(QStringLiteral("Activity since the program started"), this));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_copy = AddControl(IDC_COPY, new QPushButton(QStringLiteral("Copy"), this));
    m_save = AddControl(IDC_SAVE, new QPushButton(QStringLiteral("Save..."), this));
    m_close = AddControl(IDC_CLOSE, new QPushButton(QStringLiteral("Close"), this));

    m_table = new QTreeWidget(this);
    m_table->setColumnCount(kColumnCount);
    QStringList headers;
    for (const char* header : kBuiltInHeaders)
        headers << QString::fromLatin1(header);
    m_table->setHeaderLabels(headers);
    m_table->setRootIsDecorated(false);
    m_table->setUniformRowHeights(true);
    m_table->setAlternatingRowColors(true);
    m_table->setAllColumnsShowFocus(true);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->header()->setStretchLastSection(true);
    m_table->setColumnWidth(COL_PAGE, kPageColumnWidth);
    m_table->setColumnWidth(COL_OPERATION, kOperationColumnWidth);

    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(m_title, 1);
    for (QPushButton* button : {m_copy, m_save, m_close})
        top->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 9, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);

    connect(m_copy, &QPushButton::clicked, this, &CActivityLogView::Copy);
    connect(m_save, &QPushButton::clicked, this, &CActivityLogView::Save);
    connect(m_close, &QPushButton::clicked, this, &CActivityLogView::closeRequested);
    CActivityLog& log = CActivityLog::Instance();
    connect(&log, &CActivityLog::entryAdded, this, &CActivityLogView::AddRow);
    connect(&log, &CActivityLog::cleared, this, &CActivityLogView::Reload);
    Reload();
}

void CActivityLogView::Reload() {
    m_table->clear();
    m_shown.clear();
    for (const ActivityEntry& entry : CActivityLog::Instance().Entries())
        AddRow(entry);
}

void CActivityLogView::AddRow(const ActivityEntry& entry) {
    auto* item = new QTreeWidgetItem;
    item->setText(COL_TIME, entry.time.toString(QStringLiteral("HH:mm:ss")));
    item->setToolTip(COL_TIME, entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    item->setText(COL_PAGE, entry.page);
    item->setText(COL_OPERATION, entry.operation);
    item->setText(COL_PORT, entry.port);
    item->setData(COL_RESULT, Qt::UserRole, entry.result == ActivityResult::Success);
    const QString message = MessageWithDetail(entry.message, entry.detail);
    item->setText(COL_MESSAGE, message);
    item->setToolTip(COL_MESSAGE, entry.detail.isEmpty() ? entry.message
                                                         : entry.message + QLatin1Char('\n') + entry.detail);
    for (const int column : {COL_PAGE, COL_OPERATION, COL_PORT}) {
        if (!item->text(column).isEmpty())
            item->setToolTip(column, item->text(column));
    }
    ShowResult(item);
    m_table->addTopLevelItem(item);
    m_shown << entry;
    // The table keeps what the log keeps.
    while (m_shown.size() > CActivityLog::kMaxEntries) {
        delete m_table->takeTopLevelItem(0);
        m_shown.removeFirst();
    }
    m_table->scrollToItem(item);
}

void CActivityLogView::ShowResult(QTreeWidgetItem* item) const {
    const bool ok = item->data(COL_RESULT, Qt::UserRole).toBool();
    const int language = AppliedLanguage() >= 0 ? AppliedLanguage() : ReadLanguage();
    item->setText(COL_RESULT,
                  ActivityResultText(ok ? ActivityResult::Success : ActivityResult::Failure, language));
    item->setForeground(COL_RESULT, ok ? kSuccessColour : kFailureColour);
}

void CActivityLogView::TextsApplied(int languageIndex) {
    // The column headers have no control of their own: the texts come straight from the file.
    class CHeaderTexts : public IScreenTexts {
    public:
        explicit CHeaderTexts(QTreeWidget* table) : m_table(table) {}
        void SetCaption(const QString&) override {}
        bool SetControlText(int id, const QString& text) override {
            const int column = id - IDC_FIRST_COLUMN;
            if (column < 0 || column >= kColumnCount)
                return false;
            m_table->headerItem()->setText(column, text);
            return true;
        }
        bool SetListItems(int, const QStringList&, int) override { return false; }
        bool SetTabCaption(int, int, const QString&) override { return false; }

    private:
        QTreeWidget* m_table;
    } headers(m_table);
    ApplyScreenTexts(Element(), languageIndex, headers);
    for (int i = 0; i < m_table->topLevelItemCount(); ++i)
        ShowResult(m_table->topLevelItem(i));
    m_table->setAccessibleName(m_title->text());
    // The time, the port and the result fit whole; the words of the language decide the last.
    const QFontMetrics metrics(m_table->font());
    const auto fit = [&](const QStringList& texts) {
        int widest = 0;
        for (const QString& text : texts)
            widest = std::max(widest, metrics.horizontalAdvance(text));
        return widest + kColumnPadding;
    };
    const QTreeWidgetItem* header = m_table->headerItem();
    m_table->setColumnWidth(COL_TIME, fit({QStringLiteral("88:88:88"), header->text(COL_TIME)}));
    m_table->setColumnWidth(COL_PORT, fit({QStringLiteral("192.168.1.100:9100"), header->text(COL_PORT)}));
    m_table->setColumnWidth(COL_RESULT, fit({ActivityResultText(ActivityResult::Success, languageIndex),
                                             ActivityResultText(ActivityResult::Failure, languageIndex),
                                             header->text(COL_RESULT)}));
}

QString CActivityLogView::LogText(bool selectedOnly) const {
    QList<ActivityEntry> chosen;
    if (selectedOnly) {
        for (int i = 0; i < m_table->topLevelItemCount() && i < m_shown.size(); ++i) {
            if (m_table->topLevelItem(i)->isSelected())
                chosen << m_shown[i];
        }
    }
    const bool all = chosen.isEmpty();
    const int language = AppliedLanguage() >= 0 ? AppliedLanguage() : ReadLanguage();
    return FormatActivityLog(all ? m_shown : chosen, all ? CActivityLog::Instance().Dropped() : 0, language);
}

void CActivityLogView::Copy() {
    QApplication::clipboard()->setText(LogText(true));
}

void CActivityLogView::Save() {
    const COperation op(this, m_save);
    const int language = ReadLanguage();
    const QString path =
        AskSaveFileName(this, FileFilter(QStringLiteral("Text Files (*.txt)"), QStringLiteral("*.txt")),
                        QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    // Taken before the outcome of this save joins the log.
    const QByteArray text = LogText(false).toUtf8();
    QString why;
    if (!WriteFileAtomically(path, text, &why)) {
        op.Failed("SaveFileFail", language, QDir::toNativeSeparators(path) + QStringLiteral(": ") + why);
        return;
    }
    op.Succeeded("SaveFileSuccess", language, QDir::toNativeSeparators(path), Notify::LogOnly);
}

void CActivityLogView::paintEvent(QPaintEvent* event) {
    CScreenBase::paintEvent(event);
    QPainter painter(this);
    painter.setPen(kFrame);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.fillRect(QRect(0, 0, width(), 3), kAccent);
}

void CActivityLogView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit closeRequested();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    CScreenBase::keyPressEvent(event);
}

CActivityBar::CActivityBar(CActivityLogView* view, QWidget* parent)
    : CScreenBase("ActivityLog", parent), m_view(view) {
    m_mark = new QLabel(this);
    m_mark->setFixedSize(10, 10);
    m_line = AddControl(IDC_LAST, new QLabel(this));
    m_line->setTextFormat(Qt::PlainText);
    // The line is cut to the room it has; it never widens the bar.
    m_line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QPalette palette = m_line->palette();
    palette.setColor(QPalette::WindowText, kLineText);
    m_line->setPalette(palette);
    m_toggle = AddControl(IDC_TOGGLE, new QToolButton(this));
    m_toggle->setCheckable(true);
    m_toggle->setAutoRaise(true);
    m_toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toggle->setArrowType(Qt::UpArrow);
    m_toggle->setFocusPolicy(Qt::TabFocus);
    m_idleText = QStringLiteral("No operation has ended yet.");
    m_toggleCaption = QStringLiteral("Activity log");
    m_toggle->setText(m_toggleCaption);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_mark, 0, Qt::AlignVCenter);
    layout->addWidget(m_line, 1);
    layout->addWidget(m_toggle);

    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, m_toggle, &QToolButton::click);
    connect(m_toggle, &QToolButton::toggled, this, &CActivityBar::SetLogVisible);
    connect(m_view, &CActivityLogView::closeRequested, this, [this] { SetLogVisible(false); });
    connect(&CActivityLog::Instance(), &CActivityLog::entryAdded, this, &CActivityBar::ShowEntry);
    connect(&CActivityLog::Instance(), &CActivityLog::cleared, this, [this] {
        m_haveEntry = false;
        ShowLine();
    });
    m_view->hide();
    const QList<ActivityEntry> entries = CActivityLog::Instance().Entries();
    if (!entries.isEmpty())
        ShowEntry(entries.constLast());
    else
        ShowLine();
}

QString CActivityBar::LineText() const {
    return m_haveEntry ? m_lineText : m_idleText;
}

void CActivityBar::SetLogVisible(bool visible) {
    {
        const QSignalBlocker quiet(m_toggle);
        m_toggle->setChecked(visible);
    }
    m_toggle->setArrowType(visible ? Qt::DownArrow : Qt::UpArrow);
    m_view->setVisible(visible);
    if (visible) {
        m_view->raise();
        m_view->Table()->setFocus();
        if (QTreeWidgetItem* last = m_view->Table()->topLevelItem(m_view->Table()->topLevelItemCount() - 1))
            m_view->Table()->scrollToItem(last);
    } else if (m_view->isAncestorOf(QApplication::focusWidget())) {
        m_toggle->setFocus();
    }
}

bool CActivityBar::SetSpecialControlText(int id, QWidget*, const QString& text) {
    if (id == IDC_LAST) {
        m_idleText = text;
        return true;
    }
    if (id == IDC_TOGGLE) {
        m_toggleCaption = text;
        m_toggle->setText(text);
        return true;
    }
    return false;
}

void CActivityBar::TextsApplied(int) {
    m_toggle->setToolTip(QStringLiteral("%1 (%2)").arg(m_toggleCaption, LogKeyText()));
    m_toggle->setAccessibleName(m_toggleCaption);
    ShowLine();
}

void CActivityBar::ShowEntry(const ActivityEntry& entry) {
    m_haveEntry = true;
    m_lastResult = entry.result;
    QString where = entry.page;
    if (!entry.operation.isEmpty())
        where += (where.isEmpty() ? QString() : QStringLiteral(" \u203a ")) + entry.operation;
    m_lineText = QStringLiteral("%1  %2: %3")
                     .arg(entry.time.toString(QStringLiteral("HH:mm:ss")), where,
                          MessageWithDetail(entry.message, entry.detail));
    ShowLine();
}

void CActivityBar::ShowLine() {
    const QString text = LineText();
    m_line->setText(m_line->fontMetrics().elidedText(text, Qt::ElideRight, qMax(0, m_line->width())));
    m_line->setToolTip(text);
    m_line->setAccessibleName(text);
    m_mark->setPixmap(Mark(!m_haveEntry                              ? QColor(0x9a, 0xa8, 0xb6)
                           : m_lastResult == ActivityResult::Success ? kSuccessColour
                                                                     : kFailureColour));
}

void CActivityBar::mousePressEvent(QMouseEvent* event) {
    // A click on the line opens the log, as its button does.
    m_toggle->click();
    event->accept();
}

void CActivityBar::resizeEvent(QResizeEvent* event) {
    CScreenBase::resizeEvent(event);
    ShowLine();
}

void CActivityBar::paintEvent(QPaintEvent*) {
    // Lies on the window's background and shows it through.
}

} // namespace quillory
