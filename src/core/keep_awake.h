#pragma once

namespace kestrel {

// Keeps the machine from going to sleep while at least one KeepAwake lives:
// an operator's laptop that sleeps during a programming run drops the
// connection to a camera that is rewriting its boot flash.
//
// On Linux the lock is logind's ("sleep:idle", blocking), one for the whole
// process, asked for by the first holder and let go by the last. It is asked
// for without waiting: the answer is taken in the application's main thread
// when it comes, and the lock holds from then on; when the last holder has
// gone before the answer came, the lock that comes is let go at once. On
// Windows each thread holding one asks the system to stay awake. Where the
// system offers no such lock (no logind in a container, no system bus,
// another system) the work goes on without it and nothing is said.
class KeepAwake {
public:
    KeepAwake();
    ~KeepAwake();
    KeepAwake(const KeepAwake&) = delete;
    KeepAwake& operator=(const KeepAwake&) = delete;

    // The system has granted the lock this object holds a share of.
    bool Granted() const;
    // The system has answered, granting the lock or not.
    bool Answered() const;
};

} // namespace kestrel
