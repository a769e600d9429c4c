#pragma once

#include "app/ui/Page.h"
#include "app/ui/SiblingTools.h"
#include "port/PortInfo.h"

#include <QDialog>
#include <QHash>
#include <QKeySequence>
#include <QPixmap>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>

namespace quillory {

class CActivityBar;
class CActivityLogView;
class CIphoneButton;

// What the main window creates through its slots; tests put stand-ins in.
struct CShellParts {
    std::function<CPage*(int index, QWidget* parent)> makePage;
    std::function<std::unique_ptr<QDialog>(QWidget* parent)> makeWizard;
    std::function<std::unique_ptr<QDialog>(int language, const tagPORTINFO& port, QWidget* parent)>
        makeDownload;

    // The parts of PageFactory.cpp.
    [[nodiscard]] static CShellParts Standard();
};

// The main window: a borderless, skinned 800 by 600 window with a top bar of six buttons, a
// left menu of two groups of three, five caption buttons, and the seven pages shown one at a
// time in the page area.
class CQuilloryDlg : public CScreenBase {
    Q_OBJECT
public:
    enum CommandId : int {
        IDC_MIN = 1000,
        IDC_CLOSE = 1001,
        IDC_BASIC_SETTINGS = 1003,
        IDC_QUICK_OPERATIONS = 1004,
        IDC_NETWORK_SETTINGS = 1005,
        IDC_DEBUG_TOOLS = 1006,
        IDC_ADVANCED_SETTINGS = 1007,
        IDC_PROGRAM_SETTINGS = 1008,
        IDC_ABOUT = 1009,
        IDC_HELP = 1010,
        IDC_LCD_LOGO = 1136,
        IDC_UPGRADE = 1137,
        IDC_TOOLBOX = 1138,
        IDC_STATUS_TOOL = 1139,
        IDC_FONT_TOOL = 1140,
        IDC_PRINTER_SETTINGS = 1141,
        IDC_SELECT_PRINTER = 1142,
    };
    enum LeftGroup : int { GROUP_NONE = 0, GROUP_A = 1, GROUP_B = 2 };
    // Controls of the network page that only work for printers with configurable networking.
    static constexpr int kNetworkApplyId = 1002;
    static constexpr int kNetworkFactoryId = 1004;
    // The page area, in window coordinates.
    static constexpr int kPageLeft = 180, kPageTop = 110, kPageRight = 790, kPageBottom = 580;
    // The activity line below it, and how far up the opened log reaches.
    static constexpr int kActivityTop = 582, kActivityHeight = 17, kActivityLogTop = 290;

    explicit CQuilloryDlg(QWidget* parent = nullptr);
    explicit CQuilloryDlg(CShellParts parts, QWidget* parent = nullptr);
    ~CQuilloryDlg() override;

    [[nodiscard]] CPage* Page(int index) const;
    // Index of the page in view, or -1 while none is.
    [[nodiscard]] int CurrentPage() const { return m_current; }
    [[nodiscard]] CIphoneButton* Button(int id) const;
    [[nodiscard]] int TopHighlight() const { return m_topHighlight; }
    [[nodiscard]] int LeftHighlight() const { return m_leftHighlight; }
    [[nodiscard]] LeftGroup VisibleLeftGroup() const { return m_leftGroup; }
    [[nodiscard]] bool PasswordPassed() const { return m_passwordPassed; }
    [[nodiscard]] CActivityBar* ActivityBar() const { return m_activityBar; }
    [[nodiscard]] CActivityLogView* ActivityLogView() const { return m_activityLog; }
    // The keyboard shortcut of a command (empty for none); its buttons' tooltips name it.
    [[nodiscard]] static QKeySequence CommandShortcut(int id);
    // The name of an icon button (caption row), as its tooltip and accessible name give it.
    [[nodiscard]] QString IconButtonName(int id) const { return m_iconNames.value(id); }

    // Runs a command as if its button had been pressed; unknown ids do nothing.
    void RunCommand(int id);

protected:
    void TextsApplied(int languageIndex) override;
    // The caption-row buttons show a picture only: their texts become names and tooltips.
    bool SetSpecialControlText(int id, QWidget* control, const QString& text) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    using Handler = void (CQuilloryDlg::*)();
    struct CommandRow {
        int id;
        Handler handler;
    };
    static const std::array<CommandRow, 17>& Commands();

    void CreateButtons();
    void CreateShortcuts();
    void CreatePages();
    void CreateActivityPanel();
    // Names the pages for the activity log after their menu buttons.
    void NamePages();
    // The sibling tools' buttons are usable only where the tools are installed.
    void UpdateSiblingButtons();
    void UpdateButtonTips();
    void ShowPage(int index);
    void SetHighlights(int top, LeftGroup group, int left);
    void RestoreHighlights();
    void RunWizard();

    void OnSelectPrinter();
    void OnPrinterSettings();
    void OnBasicSettings();
    void OnAdvancedSettings();
    void OnNetworkSettings();
    void OnToolbox();
    void OnDebugTools();
    void OnQuickOperations();
    void OnLcdLogo();
    void OnFontTool();
    void OnStatusTool();
    void StartTool(int id, SiblingTool tool);
    void OnUpgrade();
    void OnProgramSettings();
    void OnAbout();
    void OnHelp();
    void OnMinimise();
    void OnClose();

    CShellParts m_parts;
    std::array<CPage*, kPageCount> m_pages{};
    int m_current = -1;
    int m_topHighlight = 0;
    int m_leftHighlight = 0;
    LeftGroup m_leftGroup = GROUP_NONE;
    bool m_passwordPassed = false;
    QPixmap m_background;
    CActivityBar* m_activityBar = nullptr;
    CActivityLogView* m_activityLog = nullptr;
    QHash<int, QString> m_iconNames;
    QHash<int, QString> m_missingTools; // button id -> where the tool was looked for
    // Fallback dragging where the window system cannot move the window itself.
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace quillory
