#pragma once

#include <QObject>

namespace kestrel {

// Tells the application's thread when the program is asked to stop: Ctrl-C,
// or SIGTERM where there are signals. Without handlers installed, those end
// the program at once.
class StopSignals : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // Installs the handlers; false when the system refused, or when another
    // instance has them (one per process).
    [[nodiscard]] bool Install();

signals:
    // Emitted in the application's thread, once per request.
    void stopRequested();

private:
    bool m_installed = false; // this instance holds the handlers' pipe
};

} // namespace kestrel
