#pragma once

#include "camera_info_query.h"
#include "scan_targets.h"

#include <QMetaType>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace kestrel {

class CameraProbe;
class ScanQueue;

// How a search for cameras goes: how many addresses are looked at at once,
// and how long each may take to connect and to answer.
struct ScanSettings {
    int parallel = 64;            // addresses looked at at once
    int connectTimeoutMs = 1500;  // a connection attempt gives up after this
    int greetingTimeoutMs = 2000; // for the greeting, and then for each reply
};

// A camera found by a search: where it answered and what it said.
struct ScanFinding {
    enum class State {
        Idle,        // no run in progress; its identity is read
        Programming, // a run is in progress: asked nothing but the update status
        Lost,        // a camera, but the connection ended before its identity was read
    };

    QString address; // dotted decimal
    quint16 port = 0;
    State state = State::Idle;
    CameraIdentity identity; // empty unless Idle

    // "address:port"
    QString Endpoint() const { return address + QLatin1Char(':') + QString::number(port); }

    // "idle", "programming" or "lost"
    static QString StateName(State state) {
        switch (state) {
        case State::Idle:
            return QStringLiteral("idle");
        case State::Programming:
            return QStringLiteral("programming");
        case State::Lost:
            return QStringLiteral("lost");
        }
        return QString();
    }
};

// Searches addresses for cameras, many at once (up to settings.parallel
// connections open at a time, each a CameraProbe looking at one address
// after the other), and reports each camera as it answers. Everything runs
// in the thread that builds it, driven by the connections' signals; its
// signals come there.
class CameraScanner : public QObject {
    Q_OBJECT
public:
    explicit CameraScanner(ScanSettings settings, QObject* parent = nullptr);
    ~CameraScanner() override;

    // Starts a search of the targets (an address given twice is looked at
    // once). False, and nothing starts, while a search is under way or when
    // the targets hold no address.
    bool Start(std::vector<ScanTarget> targets);
    // Ends the search: the looks under way end at once, nothing more is
    // reported but finished().
    void Stop();
    bool Searching() const { return m_queue != nullptr; }

signals:
    void cameraFound(const kestrel::ScanFinding& finding);
    // Addresses looked at so far, of all of them.
    void progress(qint64 tried, qint64 total);
    void finished();

private:
    // Gives the probe the next address, or lets it rest when none is left.
    void LookAtNext(CameraProbe* probe);
    void OnLooked(CameraProbe* probe, bool found, const ScanFinding& finding);

    ScanSettings m_settings;
    std::unique_ptr<ScanQueue> m_queue;
    std::vector<std::unique_ptr<CameraProbe>> m_probes; // kept from one search to the next
    qint64 m_tried = 0;
    qint64 m_total = 0;
    int m_looking = 0; // probes with a look under way
    bool m_stopped = false;
};

} // namespace kestrel

Q_DECLARE_METATYPE(kestrel::ScanFinding)
