#pragma once

#include <QObject>

#include <atomic>

namespace kestrel::cli {

// A stop asked of a job from another thread (Ctrl-C): a flag the job looks at
// between its steps, and a signal that wakes whatever it waits for. Lives in
// the thread that asks; the job connects to it from its own.
class JobStop : public QObject {
    Q_OBJECT
public:
    void Request() {
        m_requested.store(true);
        emit requested();
    }
    bool Requested() const { return m_requested.load(); }

signals:
    void requested();

private:
    std::atomic<bool> m_requested{false};
};

} // namespace kestrel::cli
