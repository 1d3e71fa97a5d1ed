#include "event_wait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace kestrel {

void WaitServingEvents(int ms) {
    QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Something else may end the loop early (an application quitting exits
    // every loop of the thread); the wait still lasts its whole time.
    while (!deadline.hasExpired()) {
        timer.start(static_cast<int>(deadline.remainingTime()));
        loop.exec();
    }
}

} // namespace kestrel
