#pragma once

#include <QObject>

namespace kestrel::sim {

// Ends the application's event loop when the program is asked to stop:
// Ctrl-C, or SIGTERM where there are signals.
class StopSignals : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // Installs the handlers; false when the system refused.
    bool Install();
};

} // namespace kestrel::sim
