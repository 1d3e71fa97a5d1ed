#pragma once

#include <chrono>

namespace kestrel::bench {

// CPU time that the calling thread has used so far, in user space and in the
// kernel. The simulated camera serves from a thread of its own, so this
// counts the tool alone.
struct ThreadCpu {
    std::chrono::microseconds user{};
    std::chrono::microseconds system{};
};
ThreadCpu ThreadCpuTime();

struct CpuSample {
    double cpuMs = 0; // user and system together
    double userMs = 0;
    double systemMs = 0;
    double wallMs = 0;
    double Percent() const { return wallMs > 0 ? 100.0 * cpuMs / wallMs : 0.0; }
};

// The calling thread's CPU time against the wall time since the start.
class CpuShare {
public:
    CpuShare() { Restart(); }
    void Restart();
    CpuSample Elapsed() const;

private:
    ThreadCpu m_cpuStart{};
    std::chrono::steady_clock::time_point m_wallStart{};
};

} // namespace kestrel::bench
