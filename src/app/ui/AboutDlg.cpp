#include "app/ui/AboutDlg.h"

#include "app/ui/SkinFiles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace quillory {

CAboutDlg::CAboutDlg(int languageIndex, QWidget* parent) : CScreenDialog("AboutDlg", parent) {
    setWindowTitle(QStringLiteral("About Quillory"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(SkinFile(QStringLiteral("Quillory.png")))
                        .scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon->setAlignment(Qt::AlignTop);
    auto* name = AddControl(IDC_NAME, new QLabel(QStringLiteral("Quillory " QUILLORY_VERSION), this));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    name->setWordWrap(true);
    auto* rights = AddControl(IDC_RIGHTS, new QLabel(this));
    rights->setWordWrap(true);
    auto* ok = AddControl(IDOK_BUTTON, new QPushButton(QStringLiteral("OK"), this));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(10);
    texts->addWidget(name);
    texts->addWidget(rights);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->addLayout(top);
    layout->addSpacing(12);
    layout->addLayout(buttons);

    ApplyLanguage(languageIndex);
    setFixedWidth(420);
    setFixedHeight(heightForWidth(420) > 0 ? heightForWidth(420) : sizeHint().height());
}

QString CAboutDlg::NameLine(const QString& text) {
    const QString version = QStringLiteral(QUILLORY_VERSION);
    if (text.contains(QLatin1String("%1")))
        return text.arg(version);
    return text.isEmpty() ? QStringLiteral("Quillory ") + version : text;
}

bool CAboutDlg::SetSpecialControlText(int id, QWidget* control, const QString& text) {
    if (id != IDC_NAME)
        return false;
    static_cast<QLabel*>(control)->setText(NameLine(text));
    return true;
}

} // namespace quillory
