#pragma once

#include "app/ActivityLog.h"
#include "app/ui/ScreenBase.h"

class QLabel;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillory {

// The activity log as a table: every operation since the program started (time, page,
// operation, port, result, message with its detail), newest at the bottom, with Copy and Save.
// The main window shows it over the lower part of the page area.
class CActivityLogView : public CScreenBase {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_COPY = 1002,
        IDC_SAVE = 1003,
        IDC_CLOSE = 1004,
        IDC_TITLE = 1005,
        IDC_FIRST_COLUMN = 1010, // 1010..1015: the column headers
    };
    enum Column : int { COL_TIME, COL_PAGE, COL_OPERATION, COL_PORT, COL_RESULT, COL_MESSAGE, kColumnCount };

    explicit CActivityLogView(QWidget* parent = nullptr);

    [[nodiscard]] QTreeWidget* Table() const { return m_table; }
    // Copies the selected entries, or all of them when none is selected, as lines of text.
    void Copy();
    // Asks for a file and writes the whole log to it (replacing it atomically).
    void Save();
    // The text Copy and Save produce for the chosen entries (all when rows is empty).
    [[nodiscard]] QString LogText(bool selectedOnly) const;

signals:
    void closeRequested();

protected:
    void TextsApplied(int languageIndex) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddRow(const ActivityEntry& entry);
    void ShowResult(QTreeWidgetItem* item) const;
    void Reload();

    QLabel* m_title = nullptr;
    QTreeWidget* m_table = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
    QList<ActivityEntry> m_shown;
};

// The activity line along the bottom of the main window: the outcome of the last operation, and
// the button that opens and closes the log (also Ctrl+L, or a click on the line).
class CActivityBar : public CScreenBase {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_TOGGLE = 1001,
        IDC_LAST = 1006, // the line; its language text is shown while no operation has ended
    };

    CActivityBar(CActivityLogView* view, QWidget* parent = nullptr);

    [[nodiscard]] QString LineText() const;
    [[nodiscard]] QToolButton* Toggle() const { return m_toggle; }
    void SetLogVisible(bool visible);

protected:
    bool SetSpecialControlText(int id, QWidget* control, const QString& text) override;
    void TextsApplied(int languageIndex) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowEntry(const ActivityEntry& entry);
    void ShowLine();

    CActivityLogView* m_view;
    QLabel* m_mark = nullptr;
    QLabel* m_line = nullptr;
    QToolButton* m_toggle = nullptr;
    QString m_idleText;
    QString m_lineText;
    bool m_haveEntry = false;
    ActivityResult m_lastResult = ActivityResult::Success;
    QString m_toggleCaption;
};

} // namespace quillory
