#include "program_run.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kestrel::bench {

namespace {

using Clock = std::chrono::steady_clock;

// The programs a bench runs write their production history into a folder of
// the bench's own, removed at its end: never into the user's history.
class BenchFolder {
public:
    BenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("kestrel bench: no temporary folder for the history");
            std::exit(1);
        }
        path = pattern;
        setenv("KESTREL_FLASH_HISTORY", (path / "history.sqlite").c_str(), 1);
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

const BenchFolder theFolder;

std::vector<char*> Argv(std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return argv;
}

// The "Threads:" line of the process's status, 0 once it is gone.
int Threads(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0)
            return std::stoi(line.substr(8));
    }
    return 0;
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

} // namespace

std::string TemporaryFolder() {
    return theFolder.path.string();
}

ProgramRun RunProgram(const std::vector<std::string>& command, bool keepOutput) {
    std::vector<std::string> arguments = command;
    std::vector<char*> argv = Argv(arguments);
    ProgramRun run;
    int pipeEnds[2] = {-1, -1};
    if (keepOutput && pipe(pipeEnds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (keepOutput) {
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (keepOutput)
        close(pipeEnds[1]);
    if (spawned != 0)
        return run;
    if (keepOutput)
        fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t ended = wait4(pid, &status, WNOHANG, &usage);
        if (ended == pid)
            break;
        if (ended < 0)
            return run;
        run.maxThreads = std::max(run.maxThreads, Threads(pid));
        if (keepOutput) {
            char buffer[65536];
            ssize_t got = 0;
            while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
                run.out.append(buffer, static_cast<std::size_t>(got));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (keepOutput) {
        char buffer[65536];
        ssize_t got = 0;
        while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
            run.out.append(buffer, static_cast<std::size_t>(got));
        close(pipeEnds[0]);
    }
    run.maxRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    run.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

SimProcess::SimProcess(const std::string& program, int count,
                       const std::vector<std::string>& options)
    : m_count(count) {
    constexpr int kFirstPort = 10000;
    constexpr int kLastPort = 32000;
    for (int port = kFirstPort; port + count <= kLastPort; port += count + 97) {
        if (Start(program, port, options))
            return;
    }
}

bool SimProcess::Start(const std::string& program, int port,
                       const std::vector<std::string>& options) {
    std::vector<std::string> arguments{
        program, "--quiet", "--port", std::to_string(port), "--cameras", std::to_string(m_count)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv = Argv(arguments);
    // Qt's own event loop for the simulator too: with a thousand cameras,
    // GLib's bookkeeping of the sockets would be half of its work and the
    // bench would measure the simulator.
    std::vector<std::string> environment{"QT_NO_GLIB=1"};
    for (char** entry = environ; *entry != nullptr; ++entry)
        environment.emplace_back(*entry);
    std::vector<char*> envp = Argv(environment);
    int pipeEnds[2] = {-1, -1};
    if (pipe(pipeEnds) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return false;
    }
    // The listening line: "... listening on 127.0.0.1 port P" or "ports P to Q".
    std::string line;
    char c = 0;
    while (read(pipeEnds[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(pipeEnds[0]);
    std::smatch found;
    if (!std::regex_search(line, found, std::regex("listening on \\S+ ports? (\\d+)"))) {
        int status = 0;
        waitpid(pid, &status, 0); // it could not listen and ends
        return false;
    }
    m_pid = pid;
    firstPort = std::stoi(found[1]);
    return true;
}

SimProcess::~SimProcess() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
}

std::vector<std::string> SimProcess::Addresses() const {
    std::vector<std::string> addresses;
    for (int i = 0; i < m_count; ++i)
        addresses.push_back("127.0.0.1:" + std::to_string(firstPort + i));
    return addresses;
}

} // namespace kestrel::bench
