#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel::bench {

// The least a client of the camera protocol can do: a plain blocking socket
// to 127.0.0.1 that sends a line and receives until the line feed. The
// benchmarks hold the tool's own link against it.
class BlockingClient {
public:
    BlockingClient() = default;
    ~BlockingClient();
    BlockingClient(const BlockingClient&) = delete;
    BlockingClient& operator=(const BlockingClient&) = delete;

    // Connects to 127.0.0.1 at the port; every later receive gives up after
    // timeoutMs without a byte.
    bool Connect(std::uint16_t port, int timeoutMs = 5000);

    // Sends the text followed by 13, 10.
    bool SendLine(std::string_view text);

    // The next line without its line end; nothing on error, end or timeout.
    std::optional<std::string> ReadLine();

    // One command and its reply.
    std::optional<std::string> Exchange(std::string_view command);

    void Close();

private:
    int m_fd = -1;
    std::string m_pending; // received bytes after the last line handed out
};

} // namespace kestrel::bench
