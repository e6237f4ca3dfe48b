#include "tests/hardening/cut_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace agendor::testing {

CutProxy::CutProxy(std::string socketPath) : socketPath_(std::move(socketPath)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe(stopPipe_) != 0)
        throw std::runtime_error("cut proxy: no listening socket");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

CutProxy::~CutProxy() {
    const char stop = 1;
    (void)!::write(stopPipe_[1], &stop, 1);
    thread_.join();
    ::close(listener_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

void CutProxy::Arm(long n) {
    passed_ = 0;
    cut_ = false;
    limit_ = n;
}

std::string CutProxy::ServerSocket(const std::string& conninfo) {
    const std::size_t host = conninfo.find("host=");
    const std::string folder = conninfo.substr(host + 5, conninfo.find(' ', host) - host - 5);
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".s.PGSQL.", 0) == 0 && entry.path().extension() != ".lock")
            return entry.path().string();
    throw std::runtime_error("cut proxy: no server socket in " + folder);
}

void CutProxy::Serve() {
    for (;;) {
        pollfd watched[2] = {{listener_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) continue;
        if (watched[1].revents != 0) return;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client >= 0) Bridge(client);
    }
}

// One connection at a time: the engine holds one, and a new one comes only
// after the old one was cut.
void CutProxy::Bridge(int client) {
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath_.c_str(), sizeof address.sun_path - 1);
    if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(client);
        if (server >= 0) ::close(server);
        return;
    }
    char buffer[16384];
    for (;;) {
        pollfd watched[3] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(watched, 3, -1) < 0) continue;
        if (watched[2].revents != 0) break;
        if (watched[0].revents != 0) {
            const ssize_t n = ::read(client, buffer, sizeof buffer);
            if (n <= 0 || ::write(server, buffer, static_cast<std::size_t>(n)) != n) break;
        }
        if (watched[1].revents != 0) {
            ssize_t n = ::read(server, buffer, sizeof buffer);
            if (n <= 0) break;
            const long limit = limit_;
            bool cutNow = false;
            if (limit > 0 && passed_ + n >= limit) {
                n = limit - passed_;
                cutNow = true;
            }
            passed_ += n;
            if (n > 0 && ::write(client, buffer, static_cast<std::size_t>(n)) != n) break;
            if (cutNow) {
                cut_ = true;
                limit_ = 0;
                break;
            }
        }
    }
    ::shutdown(client, SHUT_RDWR);
    ::close(client);
    ::close(server);
}

} // namespace agendor::testing
