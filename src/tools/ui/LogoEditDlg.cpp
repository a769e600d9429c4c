#include "tools/ui/LogoEditDlg.h"

#include "app/AppSettings.h"
#include "app/AtomicFile.h"
#include "app/LanguageTexts.h"
#include "app/ui/Activity.h"
#include "app/ui/FileDialogs.h"
#include "tools/imaging/LogoImport.h"
#include "tools/ui/LogoEditEx.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace quillory {
namespace {

QString LogoFilter() {
    return FileFilter(QStringLiteral("Logo Data(*.logo)"), QStringLiteral("*.logo"));
}

QString OpenFilters() {
    return QStringList{
        FileFilter(QStringLiteral("Logo or picture"),
                   QStringLiteral("*.logo *.bmp *.jpg *.jpeg *.png *.tif *.tiff *.ico")),
        FileFilter(QStringLiteral("Windows Bitmap(*.bmp)"), QStringLiteral("*.bmp")),
        FileFilter(QStringLiteral("JPEG FILE(*.jpg)"), QStringLiteral("*.jpg *.jpeg")),
        FileFilter(QStringLiteral("PNG FILE(*.png)"), QStringLiteral("*.png")),
        FileFilter(QStringLiteral("TIF FILE(*.tif)"), QStringLiteral("*.tif *.tiff")),
        FileFilter(QStringLiteral("ICO FILE(*.ico)"), QStringLiteral("*.ico")),
        LogoFilter(),
    }
        .join(QStringLiteral(";;"));
}

} // namespace

CLogoEditDlg::CLogoEditDlg(QWidget* parent) : CPage("LEDLogoDlg", parent) {
    // The whole grid at four screen pixels a dot, and the logo at its real size below it.
    m_editor = AddControl(IDC_EDITOR, new CLogoEditEx(this));
    m_editor->setGeometry(10, 10, 590, m_editor->sizeHint().height());
    m_controls << m_editor;
    auto* previewLabel = AddControl(IDC_PREVIEW_LABEL, new QLabel(QStringLiteral("Actual size:"), this));
    m_preview = AddControl(IDC_PREVIEW, new CLogoPreview(m_editor, this));
    previewLabel->setBuddy(m_preview);
    m_preview->setFixedSize(m_preview->sizeHint());

    auto* hint = AddControl(IDC_HINT, new QLabel(QStringLiteral("Click a dot to set or clear it."), this));
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hint->setGeometry(12, 200, 588, 40);
    m_busy = new QProgressBar(this);
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setGeometry(420, 281, 180, 14);
    m_busy->hide();

    auto* file = AddControl(IDC_FILE_GROUP, new QGroupBox(QStringLiteral("Logo"), this));
    file->setGeometry(10, 304, 180, 156);
    connect(AddButton(IDC_OPEN, "Open", file, {15, 26, 150, 32}), &QPushButton::clicked, this,
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
    PlacePreview();
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

void CLogoEditDlg::TextsApplied(int) {
    PlacePreview();
}

void CLogoEditDlg::PlacePreview() {
    // The caption decides where the picture beside it starts.
    auto* label = ControlAs<QLabel>(IDC_PREVIEW_LABEL);
    const int width = label->sizeHint().width();
    const int top = m_editor->geometry().bottom() + 12;
    label->setGeometry(12, top + (m_preview->height() - 22) / 2, width, 22);
    m_preview->move(12 + width + 10, top);
}

void CLogoEditDlg::OnOpen() {
    const COperation op(this, ControlAs<QPushButton>(IDC_OPEN));
    const QString path = AskOpenFileName(this, OpenFilters());
    if (path.isEmpty())
        return;
    const int language = ReadLanguage();
    const QString shown = QDir::toNativeSeparators(path);
    CLogoBitmap bitmap = m_editor->Bitmap();
    const LogoFileImport read = ImportLogoOrPicture(path, bitmap);
    // A file that is no file to read at all says so; one that could not be opened or converted
    // says the picture could not be read, with the path and the reason.
    if (read.file == InputFileProblem::NotRegular || read.file == InputFileProblem::TooLarge) {
        op.FailedWith(InputFileProblemText(read.file, path, read.kind, language));
        return;
    }
    if (!read.converted) {
        op.Failed("PictureOpenFail", language,
                  read.file != InputFileProblem::None ? shown + QStringLiteral(": ") + read.reason
                                                      : LogoContentProblem(read, shown));
        return;
    }
    m_editor->SetBitmap(bitmap);
    op.Succeeded("LogoOpened", language, shown, Notify::LogOnly);
}

void CLogoEditDlg::OnSave() {
    const COperation op(this, ControlAs<QPushButton>(IDC_SAVE));
    const QString path = AskSaveFileName(this, LogoFilter(), QStringLiteral("logo"));
    if (path.isEmpty())
        return;
    const int language = ReadLanguage();
    const QString shown = QDir::toNativeSeparators(path);
    QString why;
    if (!WriteFileAtomically(path, LogoStream(m_editor->Bitmap()), &why)) {
        op.Failed("SaveFileFail", language, shown + QStringLiteral(": ") + why);
        return;
    }
    op.Succeeded("SaveFileSuccess", language, shown, Notify::LogOnly);
}

void CLogoEditDlg::OnDownload() {
    const tagPORTINFO port = ReadPortInfo();
    const CLogoBitmap bitmap = m_editor->Bitmap();
    const COperation op(this, ControlAs<QPushButton>(IDC_DOWNLOAD), port);
    const bool started = m_task.Start([port, bitmap] { return DownloadLogo(port, bitmap); },
                                      [this, op](int code) {
                                          m_busy->hide();
                                          EnableByLanguage();
                                          if (code != 0)
                                              op.CommFailed(code, ReadLanguage());
                                          else
                                              op.Succeeded("LogoDownloaded", ReadLanguage(), Notify::LogOnly);
                                      });
    if (started) {
        m_busy->show();
        EnableByLanguage();
    }
}

} // namespace quillory
