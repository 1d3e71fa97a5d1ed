// Waits for the reply in a loop of its own: refused.
#include <QEventLoop>

void Reply() {
    // QEventLoop in a comment is no wait.
    QEventLoop loop;
    loop.exec();
}
