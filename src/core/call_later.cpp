#include "call_later.h"

#include <QObject>
#include <QPointer>

#include <deque>
#include <utility>

namespace kestrel {

namespace {

struct Call {
    QPointer<QObject> context;
    bool hasContext = false;
    std::function<void()> run;
};

// The calls of one thread, and the object their posted event goes to.
struct Calls {
    QObject poster;
    std::deque<Call> queued;
    bool posted = false;

    void Run() {
        posted = false;
        std::deque<Call> now;
        now.swap(queued); // calls queued while these run wait for the next round
        for (Call& call : now) {
            if (!call.hasContext || call.context)
                call.run();
        }
    }
};

Calls& ThisThread() {
    thread_local Calls calls;
    return calls;
}

} // namespace

void CallLater(QObject* context, std::function<void()> call) {
    Calls& calls = ThisThread();
    calls.queued.push_back(Call{context, context != nullptr, std::move(call)});
    if (calls.posted)
        return;
    calls.posted = true;
    QMetaObject::invokeMethod(
        &calls.poster, [&calls] { calls.Run(); }, Qt::QueuedConnection);
}

} // namespace kestrel
