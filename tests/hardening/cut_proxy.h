#pragma once
// A loopback TCP proxy for the PostgreSQL tests: listens on 127.0.0.1 (a
// port of the system's choosing) and bridges each connection to the test
// server's Unix socket. Armed with n, it passes the first n bytes of the
// server's replies from then on and then cuts the connection, as a network
// that fails in the middle of a reply would.
#include <atomic>
#include <string>
#include <thread>

namespace agendor::testing {

class CutProxy {
public:
    // socketPath: the server's socket file (DIR/.s.PGSQL.PORT).
    explicit CutProxy(std::string socketPath);
    ~CutProxy();
    CutProxy(const CutProxy&) = delete;
    CutProxy& operator=(const CutProxy&) = delete;

    int Port() const { return port_; }
    // Cuts after n more bytes of replies; 0 counts without cutting.
    void Arm(long n);
    // Reply bytes passed since the last Arm, and whether it cut.
    long Passed() const { return passed_; }
    bool Cut() const { return cut_; }

    // The socket file of the server in conninfo's host folder.
    static std::string ServerSocket(const std::string& conninfo);

private:
    void Serve();
    void Bridge(int client);

    std::string socketPath_;
    int listener_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};
    std::atomic<long> limit_{0};
    std::atomic<long> passed_{0};
    std::atomic<bool> cut_{false};
    std::thread thread_;
};

} // namespace agendor::testing
