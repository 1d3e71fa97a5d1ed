#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kestrel::test {

// Runs action once a window of type T is up as the active modal window or
// popup: the check runs from the event loop (every few milliseconds), so it
// fires from inside the modal loop that shows the window. The action must
// close the window it is given.
template <typename T> void WhenShown(std::function<void(T*)> action) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        QWidget* top = QApplication::activePopupWidget();
        if (qobject_cast<T*>(top) == nullptr)
            top = QApplication::activeModalWidget();
        T* shown = qobject_cast<T*>(top);
        if (shown == nullptr || !shown->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(shown);
    });
    poll->start();
}

} // namespace kestrel::test
