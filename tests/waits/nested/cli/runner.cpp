// Waits for a job's thread: refused.
#include <QThread>

void End(QThread* thread) {
    thread->wait();
}
