#include "call_later.h"

#include <QObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using kestrel::CallLater;

class CallLaterTest : public QObject {
    Q_OBJECT
private slots:
    void runsLaterInOrder();
    void skipsACallWhoseContextIsGone();
    void callsQueuedByACallWaitForTheNextRound();
};

void CallLaterTest::runsLaterInOrder() {
    QStringList calls;
    QObject context;
    CallLater(&context, [&] { calls << "first"; });
    CallLater(nullptr, [&] { calls << "second"; });
    CallLater(&context, [&] { calls << "third"; });
    // Not from inside the code that asked.
    QVERIFY(calls.isEmpty());
    QTRY_COMPARE(calls, (QStringList{"first", "second", "third"}));
}

void CallLaterTest::skipsACallWhoseContextIsGone() {
    QStringList calls;
    auto gone = std::make_unique<QObject>();
    QObject kept;
    CallLater(gone.get(), [&] { calls << "gone"; });
    CallLater(&kept, [&] { calls << "kept"; });
    gone.reset();
    QTRY_COMPARE(calls, QStringList{"kept"});
}

void CallLaterTest::callsQueuedByACallWaitForTheNextRound() {
    QStringList calls;
    QObject context;
    CallLater(&context, [&] {
        calls << "outer";
        CallLater(&context, [&] { calls << "inner"; });
        calls << "outer ends";
    });
    CallLater(&context, [&] { calls << "second"; });
    QTRY_COMPARE(calls, (QStringList{"outer", "outer ends", "second", "inner"}));
}

QTEST_GUILESS_MAIN(CallLaterTest)
#include "call_later_test.moc"
