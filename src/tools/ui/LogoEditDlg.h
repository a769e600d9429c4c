#pragma once

#include "app/ui/BackgroundTask.h"
#include "app/ui/Page.h"

#include <QList>

class QProgressBar;
class QPushButton;

namespace quillory {

class CLogoEditEx;
class CLogoPreview;

// Page 6: the 128 x 32 dot display logo: converted from a picture or read from a .logo file,
// edited dot by dot, saved as a .logo file or downloaded to the printer.
class CLogoEditDlg : public CPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_EDITOR = 1000,
        IDC_OPEN = 1001,
        IDC_SAVE = 1002,
        IDC_DOWNLOAD = 1003,
        IDC_MIRROR_H = 1004,
        IDC_MIRROR_V = 1005,
        IDC_INVERT = 1006,
        IDC_MOVE_UP = 1007,
        IDC_MOVE_LEFT = 1008,
        IDC_MOVE_RIGHT = 1009,
        IDC_MOVE_DOWN = 1010,
        IDC_HINT = 1011,
        IDC_FILE_GROUP = 1012,
        IDC_EDIT_GROUP = 1013,
        IDC_PREVIEW_LABEL = 1014,
        IDC_PREVIEW = 1015,
    };

    explicit CLogoEditDlg(QWidget* parent = nullptr);

    [[nodiscard]] CLogoEditEx* Editor() const { return m_editor; }
    [[nodiscard]] CLogoPreview* Preview() const { return m_preview; }
    [[nodiscard]] bool IsBusy() const { return m_task.IsBusy(); }

    // Every button and the editor are disabled for VKLA printers, which show no such logo.
    void PageShown() override;
    void EnableByLanguage();

protected:
    void TextsApplied(int languageIndex) override;

private:
    QPushButton* AddButton(int id, const char* caption, QWidget* parent, const QRect& at);
    void PlacePreview();
    void OnOpen();
    void OnSave();
    void OnDownload();

    CLogoEditEx* m_editor = nullptr;
    CLogoPreview* m_preview = nullptr;
    QList<QWidget*> m_controls;
    QProgressBar* m_busy = nullptr;
    CBackgroundTask m_task;
};

} // namespace quillory
