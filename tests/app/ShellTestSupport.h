#pragma once

#include "app/ui/Page.h"

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

namespace quillory::test {

// Acts on the next modal dialog of type T as soon as it is up, from inside its event loop.
template <typename T>
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(T*)> action) : m_action(std::move(action)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
                m_timer.stop();
                ++m_seen;
                m_action(dialog);
            }
        });
        m_timer.start();
    }
    [[nodiscard]] int Seen() const { return m_seen; }

private:
    std::function<void(T*)> m_action;
    QTimer m_timer;
    int m_seen = 0;
};

// A page that writes what the main window does to it into a shared log.
class RecordingPage : public CPage {
public:
    RecordingPage(int index, QStringList* log, QWidget* parent)
        : CPage(nullptr, parent), m_index(index), m_log(log) {}
    void PageShown() override { *m_log << QStringLiteral("shown %1").arg(m_index); }
    void ReloadSettings() override { *m_log << QStringLiteral("reload %1").arg(m_index); }
    void ApplyLanguage(int language) override {
        *m_log << QStringLiteral("texts %1 %2").arg(m_index).arg(language);
        if (onTexts)
            onTexts();
        CPage::ApplyLanguage(language);
    }
    std::function<void()> onTexts;

private:
    int m_index;
    QStringList* m_log;
};

// A dialog that records that it was run and then ends itself with result.
class StandInDialog : public QDialog {
public:
    StandInDialog(int result, std::function<void()> onShown, QWidget* parent)
        : QDialog(parent), m_result(result), m_onShown(std::move(onShown)) {}

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (m_onShown)
            m_onShown();
        QTimer::singleShot(0, this, [this] { done(m_result); });
    }

private:
    int m_result;
    std::function<void()> m_onShown;
};

} // namespace quillory::test
