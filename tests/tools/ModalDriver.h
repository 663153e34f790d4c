#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <functional>

// While it lives, runs `action` once on every modal dialog of type Dlg that
// comes up, so a test can drive dialogs that commands run with exec().
// `opened` counts the dialogs it drove.
template <typename Dlg> class ModalDriver {
public:
    explicit ModalDriver(std::function<void(Dlg&)> action) : m_action(std::move(action)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* dlg = qobject_cast<Dlg*>(QApplication::activeModalWidget());
            if (dlg == nullptr || dlg == m_handled.data())
                return;
            m_handled = dlg;
            ++opened;
            m_action(*dlg);
        });
        m_timer.start();
    }
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    int opened = 0;

private:
    std::function<void(Dlg&)> m_action;
    QTimer m_timer;
    QPointer<Dlg> m_handled;
};
