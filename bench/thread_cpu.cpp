#include "thread_cpu.h"

#include <sys/resource.h>

namespace kestrel::bench {

namespace {
std::chrono::microseconds Micros(const timeval& tv) {
    return std::chrono::seconds(tv.tv_sec) + std::chrono::microseconds(tv.tv_usec);
}

double Ms(std::chrono::microseconds us) {
    return std::chrono::duration<double, std::milli>(us).count();
}
} // namespace

ThreadCpu ThreadCpuTime() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return {Micros(usage.ru_utime), Micros(usage.ru_stime)};
}

void CpuShare::Restart() {
    m_wallStart = std::chrono::steady_clock::now();
    m_cpuStart = ThreadCpuTime();
}

CpuSample CpuShare::Elapsed() const {
    const ThreadCpu cpu = ThreadCpuTime();
    const auto wall = std::chrono::steady_clock::now() - m_wallStart;
    CpuSample sample;
    sample.userMs = Ms(cpu.user - m_cpuStart.user);
    sample.systemMs = Ms(cpu.system - m_cpuStart.system);
    sample.cpuMs = sample.userMs + sample.systemMs;
    sample.wallMs = std::chrono::duration<double, std::milli>(wall).count();
    return sample;
}

} // namespace kestrel::bench
