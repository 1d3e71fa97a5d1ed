#pragma once

#include <string>
#include <vector>

namespace kestrel::bench {

// How a program run by a benchmark went: its time, the CPU it used, the
// most memory it held and the most threads it had at once.
struct ProgramRun {
    bool ok = false; // it ran and ended with status 0
    double seconds = 0;
    double cpuSeconds = 0; // user and system time
    double maxRssMb = 0;
    int maxThreads = 0; // sampled every few milliseconds from /proc
    std::string out;    // its standard output, when asked for
};

// A folder of this bench process, removed when it ends. KESTREL_FLASH_HISTORY
// names a history in it, so that the programs run never write the user's.
std::string TemporaryFolder();

// Runs the program with these arguments, its standard output thrown away
// (or kept, with keepOutput), and waits for it.
ProgramRun RunProgram(const std::vector<std::string>& argv, bool keepOutput = false);

// A kestrel-camera-sim process serving count cameras on consecutive ports of
// 127.0.0.1, with the given further options; stopped (SIGTERM) when this
// goes. firstPort is 0 when it did not start. The ports are taken below the
// system's range for outgoing connections, where a long row of them is free:
// from 10000 on, a further row tried while one is taken.
class SimProcess {
public:
    SimProcess(const std::string& program, int count, const std::vector<std::string>& options);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    int firstPort = 0;
    // "127.0.0.1:port" of each camera.
    std::vector<std::string> Addresses() const;

private:
    // Starts the program with its cameras from port on; false when it did
    // not listen there.
    bool Start(const std::string& program, int port, const std::vector<std::string>& options);

    int m_pid = -1;
    int m_count = 0;
};

} // namespace kestrel::bench
