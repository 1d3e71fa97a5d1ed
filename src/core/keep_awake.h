#pragma once

namespace kestrel {

// Keeps the machine from going to sleep while at least one KeepAwake lives:
// an operator's laptop that sleeps during a programming run drops the
// connection to a camera that is rewriting its boot flash.
//
// On Linux the lock is logind's ("sleep:idle", blocking), one for the whole
// process, taken by the first holder and let go by the last; on Windows each
// thread holding one asks the system to stay awake. Where the system offers
// no such lock (no logind in a container, no system bus, another system) the
// work goes on without it and nothing is said. Taking the lock waits at most
// about a second for the system's answer.
class KeepAwake {
public:
    KeepAwake();
    ~KeepAwake();
    KeepAwake(const KeepAwake&) = delete;
    KeepAwake& operator=(const KeepAwake&) = delete;

    // The system granted the lock this object holds a share of.
    bool Granted() const { return m_granted; }

private:
    bool m_granted = false;
};

} // namespace kestrel
