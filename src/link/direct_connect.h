#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace kestrel {

// One attempt to connect to an IPv4 address and port by the system's own
// calls. Qt's socket tries every address twice; a search of thousands of
// addresses that refuse would pay for each twice. Where it cannot help (a
// host name, a system without these calls) it declines, and so it does for
// an error other than a refusal: the caller then connects Qt's way, which
// words that error as before.
class DirectConnect : public QObject {
    Q_OBJECT
public:
    explicit DirectConnect(QObject* parent = nullptr);
    ~DirectConnect() override;

    // Starts the attempt; false when declined. Its end is one of the signals,
    // emitted at once when the system answers at once.
    bool Start(const QString& host, quint16 port);
    // Ends an attempt under way without a signal.
    void Cancel();
    // Closes a descriptor that connected() handed over and that could not be
    // used after all.
    static void Release(qintptr descriptor);

signals:
    // Connected: the descriptor is the receiver's now.
    void connected(qintptr descriptor);
    // Nothing listens there.
    void refused();
    // Another error: the caller may connect its own way.
    void declined();

private:
    void OnWritable();
    void End(int error);

    QSocketNotifier* m_notifier = nullptr;
    qintptr m_descriptor = -1;
};

} // namespace kestrel
