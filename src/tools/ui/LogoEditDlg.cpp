#include "tools/ui/LogoEditDlg.h"

#include "app/AppSettings.h"
#include "app/AtomicFile.h"
#include "app/LanguageTexts.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/Messages.h"
#include "tools/imaging/LogoImport.h"
#include "tools/ui/LogoEditEx.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

namespace quillory {
namespace {

QString PictureFilters() {
    return QStringList{
        FileFilter(QStringLiteral("Windows Bitmap(*.bmp)"), QStringLiteral("*.bmp")),
        FileFilter(QStringLiteral("JPEG FILE(*.jpg)"), QStringLiteral("*.jpg *.jpeg")),
        FileFilter(QStringLiteral("PNG FILE(*.png)"), QStringLiteral("*.png")),
        FileFilter(QStringLiteral("TIF FILE(*.tif)"), QStringLiteral("*.tif *.tiff")),
        FileFilter(QStringLiteral("ICO FILE(*.ico)"), QStringLiteral("*.ico")),
    }
        .join(QStringLiteral(";;"));
}

} // namespace

CLogoEditDlg::CLogoEditDlg(QWidget* parent) : CPage("LEDLogoDlg", parent) {
    m_editor = AddControl(IDC_EDITOR, new CLogoEditEx(this));
    // Tall enough for the whole drawing, so only the width scrolls.
    m_editor->setGeometry(10, 10, 590,
                          CLogoEditEx::kAreaHeight + m_editor->horizontalScrollBar()->sizeHint().height() +
                              2 * m_editor->frameWidth());
    m_controls << m_editor;

    auto* hint = AddControl(IDC_HINT, new QLabel(QStringLiteral("Click a dot to set or clear it."), this));
    hint->setGeometry(12, 278, 400, 20);
    m_busy = new QProgressBar(this);
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setGeometry(420, 281, 180, 14);
    m_busy->hide();

    auto* file = AddControl(IDC_FILE_GROUP, new QGroupBox(QStringLiteral("Logo"), this));
    file->setGeometry(10, 304, 180, 156);
    connect(AddButton(IDC_OPEN, "Open picture", file, {15, 26, 150, 32}), &QPushButton::clicked, this,
            &CLogoEditDlg::OnOpen);
    connect(AddButton(IDC_SAVE, "Save", file, {15, 66, 150, 32}), &QPushButton::clicked, this,
            &CLogoEditDlg::OnSave);
    connect(AddButton(IDC_DOWNLOAD, "Download", file, {15, 106, 150, 32}), &QPushButton::clicked, this,
            &CLogoEditDlg::OnDownload);

    auto* edit = AddControl(IDC_EDIT_GROUP, new QGroupBox(QStringLiteral("Edit"), this));
    edit->setGeometry(200, 304, 400, 156);
    using Edit = void (CLogoBitmap::*)();
    const struct {
        int id;
        const char* caption;
        QRect at;
        Edit edit;
    } edits[] = {
        {IDC_INVERT, "Invert", {15, 26, 170, 32}, &CLogoBitmap::Invert},
        {IDC_MIRROR_H, "Horizontal mirror", {15, 66, 170, 32}, &CLogoBitmap::MirrorHorizontally},
        {IDC_MIRROR_V, "Vertical mirror", {15, 106, 170, 32}, &CLogoBitmap::MirrorVertically},
        {IDC_MOVE_UP, "Move up", {250, 26, 90, 32}, &CLogoBitmap::MoveUp},
        {IDC_MOVE_LEFT, "Move left", {200, 66, 90, 32}, &CLogoBitmap::MoveLeft},
        {IDC_MOVE_RIGHT, "Move right", {300, 66, 90, 32}, &CLogoBitmap::MoveRight},
        {IDC_MOVE_DOWN, "Move down", {250, 106, 90, 32}, &CLogoBitmap::MoveDown},
    };
    for (const auto& row : edits) {
        connect(AddButton(row.id, row.caption, edit, row.at), &QPushButton::clicked, this,
                [this, e = row.edit] { m_editor->EditBitmap([e](CLogoBitmap& b) { (b.*e)(); }); });
    }
    EnableByLanguage();
}

QPushButton* CLogoEditDlg::AddButton(int id, const char* caption, QWidget* parent, const QRect& at) {
    auto* button = AddControl(id, new QPushButton(QString::fromLatin1(caption), parent));
    button->setGeometry(at);
    m_controls << button;
    return button;
}

void CLogoEditDlg::PageShown() {
    EnableByLanguage();
}

void CLogoEditDlg::EnableByLanguage() {
    const bool enabled = ReadInstruction() != INSTRUCTION_VKLA && !m_task.IsBusy();
    for (QWidget* control : m_controls)
        control->setEnabled(enabled);
}

void CLogoEditDlg::OnOpen() {
    const QString path = AskOpenFileName(this, PictureFilters());
    if (path.isEmpty())
        return;
    CLogoBitmap bitmap = m_editor->Bitmap();
    const PictureImport result = ImportPictureFile(path, bitmap);
    if (result.file != InputFileProblem::None) {
        ShowMessage(InputFileProblemText(result.file, path, InputFileKind::Picture, ReadLanguage()),
                    MessageIcon::Warning, this);
        return;
    }
    if (!result.converted) {
        ShowMessage(GetMessageText("PictureOpenFail", ReadLanguage()) + QStringLiteral("\n") + path,
                    MessageIcon::Warning, this);
        return;
    }
    m_editor->SetBitmap(bitmap);
}

void CLogoEditDlg::OnSave() {
    const QString path =
        AskSaveFileName(this, FileFilter(QStringLiteral("Logo Data(*.logo)"), QStringLiteral("*.logo")),
                        QStringLiteral("logo"));
    if (path.isEmpty())
        return;
    if (!WriteFileAtomically(path, LogoStream(m_editor->Bitmap())))
        ShowMessage(GetMessageText("SaveFileFail", ReadLanguage()) + QStringLiteral("\n") + path,
                    MessageIcon::Warning, this);
}

void CLogoEditDlg::OnDownload() {
    const tagPORTINFO port = ReadPortInfo();
    const CLogoBitmap bitmap = m_editor->Bitmap();
    const bool started = m_task.Start([port, bitmap] { return DownloadLogo(port, bitmap); },
                                      [this](int code) {
                                          m_busy->hide();
                                          EnableByLanguage();
                                          if (code != 0)
                                              ShowCommError(code, ReadLanguage(), this);
                                      });
    if (started) {
        m_busy->show();
        EnableByLanguage();
    }
}

} // namespace quillory
