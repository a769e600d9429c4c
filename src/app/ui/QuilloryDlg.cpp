#include "app/ui/QuilloryDlg.h"

#include "app/AppSettings.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/Help.h"
#include "app/ui/PageFactory.h"
#include "app/ui/PasswordDlg.h"
#include "app/ui/QuillorySetDlg.h"
#include "app/ui/SiblingTools.h"
#include "app/ui/SkinFiles.h"
#include "controls/IphoneButton.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
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
    ApplyLanguage(ReadLanguage());
    CreatePages();

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
    // A tool that cannot be started is not reported: it is simply not installed here.
    StartSiblingTool(SiblingTool::FontTool, FormatPortString(ReadPortInfo(), ReadInstruction()));
    RestoreHighlights();
}

void CQuilloryDlg::OnStatusTool() {
    StartSiblingTool(SiblingTool::StatusTool, FormatPortString(ReadPortInfo(), ReadInstruction()));
    RestoreHighlights();
}

void CQuilloryDlg::OnUpgrade() {
    if (m_parts.makeDownload) {
        if (const std::unique_ptr<QDialog> dialog =
                m_parts.makeDownload(ReadLanguage(), ReadPortInfo(), this))
            dialog->exec();
    }
    RestoreHighlights();
}

void CQuilloryDlg::OnProgramSettings() {
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
    if (event->key() == Qt::Key_F1) {
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
