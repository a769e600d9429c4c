#pragma once

#include "app/ui/ControlRegistry.h"

#include <QColor>
#include <QDialog>
#include <QWidget>

namespace quillory {

// The light grey every screen is painted with.
inline constexpr QColor kScreenBackground{240, 240, 240};

// Base of every screen that lives inside another window (pages and hosted screens): its
// controls by id, its language texts, and the grey background.
//
//     class CToolsDlg : public CPage {
//         CToolsDlg(QWidget* parent) : CPage("ToolsDlg", parent) {
//             AddControl(1002, new QPushButton(this));
//         }
//     };
//
// The owner calls ApplyLanguage(ReadLanguage()) once the screen is built and again whenever
// the language changes.
class CScreenBase : public QWidget, public CControlRegistry {
    Q_OBJECT
public:
    explicit CScreenBase(const char* element, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    // A press on a screen's empty area stays there; it must not reach the main window, where it
    // would start moving the window.
    void mousePressEvent(QMouseEvent* event) override;
};

// Base of the modal dialogs: the same registry and texts on a QDialog. A dialog applies its
// texts at the end of its own constructor with ApplyLanguage.
class CScreenDialog : public QDialog, public CControlRegistry {
    Q_OBJECT
public:
    explicit CScreenDialog(const char* element, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Gives widget the grey screen background in its palette, so that child controls that paint
// their own background match it.
void UseScreenBackground(QWidget* widget);

} // namespace quillory
