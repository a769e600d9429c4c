#include "app/ui/QuilloryDlg.h"

#include "app/AppSettings.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/Activity.h"
#include "app/ui/ActivityPanel.h"
#include "app/ui/Help.h"
#include "app/ui/PageFactory.h"
#include "app/ui/PasswordDlg.h"
#include "app/ui/QtTranslations.h"
#include "app/ui/QuillorySetDlg.h"
#include "app/ui/SiblingTools.h"
#include "app/ui/SkinFiles.h"
#include "controls/IphoneButton.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

namespace quillory {
namespace {

// The wizard opens through a posted event so that it comes up over the finished window.
const QEvent::Type kRunWizardEvent = QEvent::Type(QEvent::User + 0x047B);

enum class Place { Caption, TopBar, LeftA, LeftB };

struct ButtonRow {
    int id;
    const char* image;
    Place place;
    int x;
    int y;
    const char* caption; // shown until the language texts replace it
};

// Left-menu buttons stack from here, one slot per button of the visible group.
constexpr int kLeftX = 14;
constexpr int kLeftTop = 128;
constexpr int kLeftStep = 46;

constexpr std::array<ButtonRow, 17> kButtons{{
    {CQuilloryDlg::IDC_PROGRAM_SETTINGS, "MainSet", Place::Caption, 636, 4, ""},
    {CQuilloryDlg::IDC_ABOUT, "About", Place::Caption, 668, 4, ""},
    {CQuilloryDlg::IDC_HELP, "Help", Place::Caption, 700, 4, ""},
    {CQuilloryDlg::IDC_MIN, "Min", Place::Caption, 732, 4, ""},
    {CQuilloryDlg::IDC_CLOSE, "Close", Place::Caption, 764, 4, ""},
    {CQuilloryDlg::IDC_PRINTER_SETTINGS, "PrinterSet", Place::TopBar, 217, 34, "打印机设置"},
    {CQuilloryDlg::IDC_FONT_TOOL, "Font", Place::TopBar, 298, 34, "字体图形"},
    {CQuilloryDlg::IDC_STATUS_TOOL, "Status", Place::TopBar, 399, 34, "状态监控"},
    {CQuilloryDlg::IDC_UPGRADE, "Updata", Place::TopBar, 490, 34, "升级"},
    {CQuilloryDlg::IDC_TOOLBOX, "Tools", Place::TopBar, 580, 34, "工具箱"},
    {CQuilloryDlg::IDC_SELECT_PRINTER, "selectprinter", Place::TopBar, 669, 34, "选择打印机"},
    {CQuilloryDlg::IDC_BASIC_SETTINGS, "menu", Place::LeftA, kLeftX, kLeftTop, "基本设置"},
    {CQuilloryDlg::IDC_ADVANCED_SETTINGS, "menu", Place::LeftA, kLeftX, kLeftTop + kLeftStep, "高级设置"},
    {CQuilloryDlg::IDC_NETWORK_SETTINGS, "menu", Place::LeftA, kLeftX, kLeftTop + 2 * kLeftStep, "网络设置"},
    {CQuilloryDlg::IDC_DEBUG_TOOLS, "menu", Place::LeftB, kLeftX, kLeftTop, "调试工具"},
    {CQuilloryDlg::IDC_QUICK_OPERATIONS, "menu", Place::LeftB, kLeftX, kLeftTop + kLeftStep, "快捷操作"},
    {CQuilloryDlg::IDC_LCD_LOGO, "menu", Place::LeftB, kLeftX, kLeftTop + 2 * kLeftStep, "液晶Logo"},
}};

// Names of the picture-only buttons until the language texts replace them.
constexpr std::array<std::pair<int, const char*>, 5> kIconNames{{
    {CQuilloryDlg::IDC_PROGRAM_SETTINGS, "Program settings"},
    {CQuilloryDlg::IDC_ABOUT, "About Quillory"},
    {CQuilloryDlg::IDC_HELP, "Help"},
    {CQuilloryDlg::IDC_MIN, "Minimise"},
    {CQuilloryDlg::IDC_CLOSE, "Close"},
}};

// Keyboard shortcuts of the commands: the pages by Ctrl+1..7 in menu order, the other
// commands by Alt and a letter.
struct ShortcutRow {
    int id;
    QKeyCombination key;
};
constexpr std::array<ShortcutRow, 15> kShortcuts{{
    {CQuilloryDlg::IDC_SELECT_PRINTER, Qt::CTRL | Qt::Key_1},
    {CQuilloryDlg::IDC_PRINTER_SETTINGS, Qt::CTRL | Qt::Key_2},
    {CQuilloryDlg::IDC_ADVANCED_SETTINGS, Qt::CTRL | Qt::Key_3},
    {CQuilloryDlg::IDC_NETWORK_SETTINGS, Qt::CTRL | Qt::Key_4},
    {CQuilloryDlg::IDC_TOOLBOX, Qt::CTRL | Qt::Key_5},
    {CQuilloryDlg::IDC_QUICK_OPERATIONS, Qt::CTRL | Qt::Key_6},
    {CQuilloryDlg::IDC_LCD_LOGO, Qt::CTRL | Qt::Key_7},
    {CQuilloryDlg::IDC_FONT_TOOL, Qt::ALT | Qt::Key_F},
    {CQuilloryDlg::IDC_STATUS_TOOL, Qt::ALT | Qt::Key_S},
    {CQuilloryDlg::IDC_UPGRADE, Qt::ALT | Qt::Key_U},
    {CQuilloryDlg::IDC_PROGRAM_SETTINGS, Qt::ALT | Qt::Key_O},
    {CQuilloryDlg::IDC_ABOUT, Qt::ALT | Qt::Key_A},
    {CQuilloryDlg::IDC_HELP, QKeyCombination(Qt::Key_F1)},
    {CQuilloryDlg::IDC_MIN, Qt::ALT | Qt::Key_M},
    {CQuilloryDlg::IDC_CLOSE, Qt::CTRL | Qt::Key_Q},
}};

// Buttons that show the page of another button's shortcut.
constexpr std::array<std::pair<int, int>, 2> kSamePage{{
    {CQuilloryDlg::IDC_BASIC_SETTINGS, CQuilloryDlg::IDC_PRINTER_SETTINGS},
    {CQuilloryDlg::IDC_DEBUG_TOOLS, CQuilloryDlg::IDC_TOOLBOX},
}};

// The menu button whose caption names a page in the activity log, by page index.
constexpr std::array<int, kPageCount> kPageNameButtons{
    CQuilloryDlg::IDC_SELECT_PRINTER,    // PAGE_PORT
    CQuilloryDlg::IDC_BASIC_SETTINGS,    // PAGE_PRINTER_SETTINGS
    CQuilloryDlg::IDC_QUICK_OPERATIONS,  // PAGE_TOOLS
    CQuilloryDlg::IDC_NETWORK_SETTINGS,  // PAGE_NETWORK
    CQuilloryDlg::IDC_DEBUG_TOOLS,       // PAGE_DEBUG
    CQuilloryDlg::IDC_ADVANCED_SETTINGS, // PAGE_EEPROM
    CQuilloryDlg::IDC_LCD_LOGO,          // PAGE_LOGO
};

bool IsLeft(Place place) {
    return place == Place::LeftA || place == Place::LeftB;
}

CQuilloryDlg::LeftGroup GroupOf(Place place) {
    return place == Place::LeftA   ? CQuilloryDlg::GROUP_A
           : place == Place::LeftB ? CQuilloryDlg::GROUP_B
                                   : CQuilloryDlg::GROUP_NONE;
}

// Reads only the caption of a screen element (the about item of the window menu uses the
// about box's title).
class CCaptionReader : public IScreenTexts {
public:
    QString caption;
    void SetCaption(const QString& c) override { caption = c; }
    bool SetControlText(int, const QString&) override { return false; }
    bool SetListItems(int, const QStringList&, int) override { return false; }
    bool SetTabCaption(int, int, const QString&) override { return false; }
};

} // namespace

CShellParts CShellParts::Standard() {
    return {&CreatePage, &CreateWizardDialog, &CreateDownloadDialog};
}

const std::array<CQuilloryDlg::CommandRow, 17>& CQuilloryDlg::Commands() {
    static const std::array<CommandRow, 17> table{{
        {IDC_SELECT_PRINTER, &CQuilloryDlg::OnSelectPrinter},
        {IDC_PRINTER_SETTINGS, &CQuilloryDlg::OnPrinterSettings},
        {IDC_BASIC_SETTINGS, &CQuilloryDlg::OnBasicSettings},
        {IDC_ADVANCED_SETTINGS, &CQuilloryDlg::OnAdvancedSettings},
        {IDC_NETWORK_SETTINGS, &CQuilloryDlg::OnNetworkSettings},
        {IDC_TOOLBOX, &CQuilloryDlg::OnToolbox},
        {IDC_DEBUG_TOOLS, &CQuilloryDlg::OnDebugTools},
        {IDC_QUICK_OPERATIONS, &CQuilloryDlg::OnQuickOperations},
        {IDC_LCD_LOGO, &CQuilloryDlg::OnLcdLogo},
        {IDC_FONT_TOOL, &CQuilloryDlg::OnFontTool},
        {IDC_STATUS_TOOL, &CQuilloryDlg::OnStatusTool},
        {IDC_UPGRADE, &CQuilloryDlg::OnUpgrade},
        {IDC_PROGRAM_SETTINGS, &CQuilloryDlg::OnProgramSettings},
        {IDC_ABOUT, &CQuilloryDlg::OnAbout},
        {IDC_HELP, &CQuilloryDlg::OnHelp},
        {IDC_MIN, &CQuilloryDlg::OnMinimise},
        {IDC_CLOSE, &CQuilloryDlg::OnClose},
    }};
    return table;
}

CQuilloryDlg::CQuilloryDlg(QWidget* parent) : CQuilloryDlg(CShellParts::Standard(), parent) {}

CQuilloryDlg::CQuilloryDlg(CShellParts parts, QWidget* parent)
    : CScreenBase("MainDlg", parent), m_parts(std::move(parts)) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setWindowIcon(QIcon(SkinFile(QStringLiteral("Quillory.png"))));
    setFixedSize(800, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().topLeft());
    m_background.load(SkinFile(QStringLiteral("background.png")));

    CreateButtons();
    CreateShortcuts();
    CreateActivityPanel();
    ApplyLanguage(ReadLanguage());
    CreatePages();
    NamePages();

    if (ReadWizard() != 0)
        QCoreApplication::postEvent(this, new QEvent(kRunWizardEvent));
    else
        SetHighlights(IDC_SELECT_PRINTER, GROUP_NONE, 0);
    setWindowTitle(QStringLiteral("Quillory"));
}

CQuilloryDlg::~CQuilloryDlg() = default;

void CQuilloryDlg::CreateButtons() {
    const QString folder = SkinFolder();
    for (const ButtonRow& row : kButtons) {
        auto* button = AddControl(row.id, new CIphoneButton(this));
        button->LoadPictures(folder, QString::fromLatin1(row.image));
        button->SetCaptionHigh(IsLeft(row.place));
        button->setText(QString::fromUtf8(row.caption));
        button->move(row.x, row.y);
        button->setVisible(!IsLeft(row.place));
        const int id = row.id;
        connect(button, &CIphoneButton::clicked, this, [this, id] { RunCommand(id); });
    }
    for (const auto& [id, name] : kIconNames) {
        m_iconNames.insert(id, QString::fromLatin1(name));
        Button(id)->setAccessibleName(m_iconNames.value(id));
    }
    UpdateSiblingButtons();
}

QKeySequence CQuilloryDlg::CommandShortcut(int id) {
    for (const ShortcutRow& row : kShortcuts) {
        if (row.id == id)
            return QKeySequence(row.key);
    }
    return {};
}

void CQuilloryDlg::CreateShortcuts() {
    for (const ShortcutRow& row : kShortcuts) {
        auto* shortcut = new QShortcut(QKeySequence(row.key), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = row.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] {
            // A button that cannot be pressed cannot be reached by its key either.
            if (Button(id)->isEnabled())
                RunCommand(id);
        });
    }
}

void CQuilloryDlg::CreateActivityPanel() {
    m_activityLog = new CActivityLogView(this);
    m_activityLog->setGeometry(
        QRect(QPoint(kPageLeft, kActivityLogTop), QPoint(kPageRight - 1, kPageBottom - 1)));
    m_activityBar = new CActivityBar(m_activityLog, this);
    m_activityBar->setGeometry(kPageLeft, kActivityTop, kPageRight - kPageLeft, kActivityHeight);
}

void CQuilloryDlg::UpdateSiblingButtons() {
    m_missingTools.clear();
    for (const auto& [id, tool] : {std::pair{int(IDC_FONT_TOOL), SiblingTool::FontTool},
                                   std::pair{int(IDC_STATUS_TOOL), SiblingTool::StatusTool}}) {
        const bool installed = !FindSiblingTool(tool).isEmpty();
        if (!installed)
            m_missingTools.insert(id, QDir::toNativeSeparators(SiblingToolCandidates(tool).constFirst()));
        Button(id)->setEnabled(installed);
    }
    UpdateButtonTips();
}

void CQuilloryDlg::UpdateButtonTips() {
    const int language = AppliedLanguage() >= 0 ? AppliedLanguage() : ReadLanguage();
    for (const ButtonRow& row : kButtons) {
        CIphoneButton* button = Button(row.id);
        const QString name =
            row.place == Place::Caption ? m_iconNames.value(row.id) : PlainCaption(button->text());
        int keyOwner = row.id;
        for (const auto& [id, owner] : kSamePage) {
            if (id == row.id)
                keyOwner = owner;
        }
        const QKeySequence key = CommandShortcut(keyOwner);
        QString tip = key.isEmpty()
                          ? name
                          : QStringLiteral("%1 (%2)").arg(name, key.toString(QKeySequence::NativeText));
        if (m_missingTools.contains(row.id)) {
            QString note = GetMessageText("ToolNotInstalled", language);
            if (note.isEmpty())
                note = QStringLiteral("Not installed: %1");
            tip += QLatin1Char('\n') + note.arg(m_missingTools.value(row.id));
        }
        button->setToolTip(tip);
        button->setAccessibleName(name);
        button->setAccessibleDescription(m_missingTools.contains(row.id) ? tip : QString());
    }
}

void CQuilloryDlg::NamePages() {
    for (int i = 0; i < kPageCount; ++i) {
        if (CPage* page = m_pages[std::size_t(i)])
            page->setProperty(kActivityPageProperty,
                              PlainCaption(Button(kPageNameButtons[std::size_t(i)])->text()));
    }
}

bool CQuilloryDlg::SetSpecialControlText(int id, QWidget*, const QString& text) {
    if (!m_iconNames.contains(id))
        return false;
    m_iconNames.insert(id, text);
    return true;
}

void CQuilloryDlg::TextsApplied(int languageIndex) {
    UseQtTranslations(languageIndex);
    if (m_activityBar) {
        m_activityBar->ApplyLanguage(languageIndex);
        m_activityLog->ApplyLanguage(languageIndex);
    }
    NamePages();
    UpdateButtonTips();
}

void CQuilloryDlg::changeEvent(QEvent* event) {
    // A tool installed while the program runs becomes usable when the window is next active.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        UpdateSiblingButtons();
    CScreenBase::changeEvent(event);
}

void CQuilloryDlg::CreatePages() {
    const QRect area(QPoint(kPageLeft, kPageTop), QPoint(kPageRight - 1, kPageBottom - 1));
    for (int i = 0; i < kPageCount; ++i) {
        CPage* page = m_parts.makePage ? m_parts.makePage(i, this) : nullptr;
        if (!page)
            page = new CPage(nullptr, this);
        page->setParent(this);
        page->setGeometry(area);
        page->hide();
        connect(page, &CPage::commandRequested, this, &CQuilloryDlg::RunCommand);
        m_pages[std::size_t(i)] = page;
    }
    // Page 0 is shown as it was built, without a refresh; with the first-run wizard (1) the
    // page area stays empty behind it.
    if (ReadWizard() != 1) {
        m_pages[PAGE_PORT]->show();
        m_current = PAGE_PORT;
    }
    const int language = ReadLanguage();
    for (CPage* page : m_pages)
        page->ApplyLanguage(language);
}

CPage* CQuilloryDlg::Page(int index) const {
    return index >= 0 && index < kPageCount ? m_pages[std::size_t(index)] : nullptr;
}

CIphoneButton* CQuilloryDlg::Button(int id) const {
    return ControlAs<CIphoneButton>(id);
}

void CQuilloryDlg::ShowPage(int index) {
    if (index == m_current)
        return;
    CPage* page = Page(index);
    page->PageShown();
    page->show();
    if (CPage* old = Page(m_current))
        old->hide();
    m_current = index;
}

void CQuilloryDlg::SetHighlights(int top, LeftGroup group, int left) {
    m_topHighlight = top;
    m_leftGroup = group;
    m_leftHighlight = left;
    for (const ButtonRow& row : kButtons) {
        CIphoneButton* button = Button(row.id);
        if (row.place == Place::Caption)
            continue;
        if (IsLeft(row.place))
            button->setVisible(GroupOf(row.place) == group);
        const int selected = IsLeft(row.place) ? left : top;
        if (row.id == selected)
            button->SetStateClicked();
        else
            button->SetStateNormal();
    }
}

void CQuilloryDlg::RestoreHighlights() {
    SetHighlights(m_topHighlight, m_leftGroup, m_leftHighlight);
}

void CQuilloryDlg::RunCommand(int id) {
    for (const ButtonRow& row : kButtons) {
        if (row.id == id && row.place == Place::Caption)
            Button(id)->SetStateNormal();
    }
    for (const CommandRow& command : Commands()) {
        if (command.id == id) {
            (this->*command.handler)();
            return;
        }
    }
}

void CQuilloryDlg::OnSelectPrinter() {
    ShowPage(PAGE_PORT);
    SetHighlights(IDC_SELECT_PRINTER, GROUP_NONE, 0);
}

void CQuilloryDlg::OnPrinterSettings() {
    ShowPage(PAGE_PRINTER_SETTINGS);
    SetHighlights(IDC_PRINTER_SETTINGS, GROUP_A, IDC_BASIC_SETTINGS);
}

void CQuilloryDlg::OnBasicSettings() {
    ShowPage(PAGE_PRINTER_SETTINGS);
    SetHighlights(m_topHighlight, GROUP_A, IDC_BASIC_SETTINGS);
}

void CQuilloryDlg::OnAdvancedSettings() {
    if (!m_passwordPassed) {
        // While the password is asked, only the page in view stays marked.
        RestoreHighlights();
        CPasswordDlg password(this);
        if (password.exec() != QDialog::Accepted) {
            RestoreHighlights();
            return;
        }
    }
    m_passwordPassed = true;
    ShowPage(PAGE_EEPROM);
    SetHighlights(m_topHighlight, GROUP_A, IDC_ADVANCED_SETTINGS);
}

void CQuilloryDlg::OnNetworkSettings() {
    ShowPage(PAGE_NETWORK);
    // These printers take no network parameter frames.
    const bool frames = ReadInstruction() != INSTRUCTION_VKLA;
    for (const int id : {kNetworkApplyId, kNetworkFactoryId}) {
        if (QWidget* control = m_pages[PAGE_NETWORK]->Control(id))
            control->setEnabled(frames);
    }
    SetHighlights(m_topHighlight, GROUP_A, IDC_NETWORK_SETTINGS);
}

void CQuilloryDlg::OnToolbox() {
    ShowPage(PAGE_DEBUG);
    SetHighlights(IDC_TOOLBOX, GROUP_B, IDC_DEBUG_TOOLS);
}

void CQuilloryDlg::OnDebugTools() {
    ShowPage(PAGE_DEBUG);
    SetHighlights(m_topHighlight, GROUP_B, IDC_DEBUG_TOOLS);
}

void CQuilloryDlg::OnQuickOperations() {
    ShowPage(PAGE_TOOLS);
    SetHighlights(m_topHighlight, GROUP_B, IDC_QUICK_OPERATIONS);
}

void CQuilloryDlg::OnLcdLogo() {
    ShowPage(PAGE_LOGO);
    SetHighlights(m_topHighlight, GROUP_B, IDC_LCD_LOGO);
}

void CQuilloryDlg::OnFontTool() {
    StartTool(IDC_FONT_TOOL, SiblingTool::FontTool);
}

void CQuilloryDlg::OnStatusTool() {
    StartTool(IDC_STATUS_TOOL, SiblingTool::StatusTool);
}

void CQuilloryDlg::StartTool(int id, SiblingTool tool) {
    RestoreHighlights();
    // Not installed here: the button says so and is not usable.
    if (!Button(id)->isEnabled())
        return;
    const tagPORTINFO port = ReadPortInfo();
    const COperation op(this, Button(id), port);
    const int language = ReadLanguage();
    if (StartSiblingTool(tool, FormatPortString(port, ReadInstruction())))
        op.Succeeded("ToolStarted", language, Notify::LogOnly);
    else
        op.Failed("ToolStartFail", language, QDir::toNativeSeparators(FindSiblingTool(tool)));
    UpdateSiblingButtons();
}

void CQuilloryDlg::OnUpgrade() {
    // The upgrade button is no page: only the page in view stays marked while the dialog is open.
    RestoreHighlights();
    if (m_parts.makeDownload) {
        if (const std::unique_ptr<QDialog> dialog =
                m_parts.makeDownload(ReadLanguage(), ReadPortInfo(), this)) {
            dialog->setProperty(kActivityPageProperty, PlainCaption(Button(IDC_UPGRADE)->text()));
            dialog->exec();
        }
    }
    RestoreHighlights();
}

void CQuilloryDlg::OnProgramSettings() {
    RestoreHighlights();
    CQuillorySetDlg settings(this);
    if (settings.exec() == QDialog::Accepted && settings.ChosenLanguage() >= 0 &&
        settings.ChosenLanguage() != ReadLanguage()) {
        const int language = settings.ChosenLanguage();
        WriteLanguage(language);
        // Pages in index order: port, print settings (VKLA, VKLE, VKLZ, VKLT, VKLC), tools,
        // network, debug, EEPROM (same order), logo; the window itself last.
        for (CPage* page : m_pages)
            page->ApplyLanguage(language);
        ApplyLanguage(language);
        setWindowTitle(QStringLiteral("Quillory"));
    }
    RestoreHighlights();
}

void CQuilloryDlg::OnAbout() {
    RestoreHighlights();
    CAboutDlg about(ReadLanguage(), this);
    about.exec();
    RestoreHighlights();
}

void CQuilloryDlg::OnHelp() {
    OpenHelp();
    RestoreHighlights();
}

void CQuilloryDlg::OnMinimise() {
    showMinimized();
}

void CQuilloryDlg::OnClose() {
    close();
}

void CQuilloryDlg::RunWizard() {
    if (!m_parts.makeWizard)
        return;
    const std::unique_ptr<QDialog> wizard = m_parts.makeWizard(this);
    if (!wizard || wizard->exec() != QDialog::Accepted)
        return;
    for (const ButtonRow& row : kButtons) {
        if (row.place == Place::TopBar)
            Button(row.id)->show();
    }
    OnPrinterSettings();
    m_pages[PAGE_PORT]->ReloadSettings();
}

bool CQuilloryDlg::event(QEvent* event) {
    if (event->type() == kRunWizardEvent) {
        RunWizard();
        return true;
    }
    return CScreenBase::event(event);
}

void CQuilloryDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_background.isNull())
        painter.fillRect(rect(), kScreenBackground);
    else
        painter.drawPixmap(rect(), m_background);
    // The program's name beside the emblem of the background.
    QFont font = painter.font();
    font.setPixelSize(26);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(72, 40, 140, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillory"));
}

void CQuilloryDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CScreenBase::mousePressEvent(event);
        return;
    }
    // Pressing on the background moves the window, as a title bar would.
    if (QWindow* window = windowHandle(); window && window->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CQuilloryDlg::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
    CScreenBase::mouseMoveEvent(event);
}

void CQuilloryDlg::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    CScreenBase::mouseReleaseEvent(event);
}

void CQuilloryDlg::keyPressEvent(QKeyEvent* event) {
    // Reached only where the help shortcut is not (a key event sent to the window itself).
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OnHelp();
        return;
    }
    CScreenBase::keyPressEvent(event);
}

void CQuilloryDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The window has no title bar, so its menu (with the about item) opens on the background.
    CCaptionReader about;
    ApplyScreenTexts("AboutDlg", ReadLanguage(), about);
    if (about.caption.isEmpty())
        return;
    QMenu menu(this);
    menu.addAction(about.caption + QStringLiteral("..."), this, [this] { RunCommand(IDC_ABOUT); });
    menu.exec(event->globalPos());
}

} // namespace quillory
