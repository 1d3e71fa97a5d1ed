#include "blocking_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrel::bench {

BlockingClient::~BlockingClient() {
    Close();
}

bool BlockingClient::Connect(std::uint16_t port, int timeoutMs) {
    Close();
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_fd < 0)
        return false;
    // The tool asks for the same: small lines go out at once.
    const int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    timeval timeout{};
    timeout.tv_sec = timeoutMs / 1000;
    timeout.tv_usec = (timeoutMs % 1000) * 1000;
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        Close();
        return false;
    }
    return true;
}

bool BlockingClient::SendLine(std::string_view text) {
    if (m_fd < 0)
        return false;
    std::string line(text);
    line += "\r\n";
    std::size_t sent = 0;
    while (sent < line.size()) {
        const ssize_t n = ::send(m_fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> BlockingClient::ReadLine() {
    if (m_fd < 0)
        return std::nullopt;
    for (;;) {
        const std::size_t lf = m_pending.find('\n');
        if (lf != std::string::npos) {
            std::string line = m_pending.substr(0, lf);
            m_pending.erase(0, lf + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        char buffer[512];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return std::nullopt;
        m_pending.append(buffer, static_cast<std::size_t>(n));
    }
}

std::optional<std::string> BlockingClient::Exchange(std::string_view command) {
    if (!SendLine(command))
        return std::nullopt;
    return ReadLine();
}

void BlockingClient::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_pending.clear();
}

} // namespace kestrel::bench
