#pragma once

#include <QWidget>

namespace quillory {

// The main window. Until its screens land it is an empty 800 by 600 frame titled "Quillory".
class CQuilloryDlg : public QWidget {
    Q_OBJECT
public:
    explicit CQuilloryDlg(QWidget* parent = nullptr);
};

} // namespace quillory
