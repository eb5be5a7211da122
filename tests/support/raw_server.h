// A loopback server for hostile-peer tests: every accepted connection runs a behaviour
// of the test's choosing on its own thread, byte by byte, with no HTTP rules imposed.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace pagorin::test_support {

class RawServer {
  public:
    // Runs once per connection. `stopping` turns true when the server is being torn
    // down; a behaviour that waits must watch it. The server closes the socket after
    // the behaviour returns (abortively when the behaviour set SO_LINGER to 0).
    using Behaviour = std::function<void(SOCKET client, const std::atomic<bool>& stopping)>;

    explicit RawServer(Behaviour behaviour);
    ~RawServer();  // stop()
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    // Stops accepting, sets `stopping`, shuts every open socket down and joins every
    // thread. Idempotent.
    void stop();

    bool listening() const;
    uint16_t port() const;
    std::string address(std::string_view path) const;
    // Connections accepted so far.
    int connections() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Helpers for behaviours; each returns early (false or what it has) once `stopping`.
// Reads up to the end of the request's header block; empty when it never came.
std::string ReadRequestHead(SOCKET client, const std::atomic<bool>& stopping);
// False when the peer went away or the server is stopping.
bool SendAll(SOCKET client, std::string_view bytes, const std::atomic<bool>& stopping);
// Waits until the peer closes its side or the server stops; what it sends is discarded.
void WaitForPeerOrStop(SOCKET client, const std::atomic<bool>& stopping);

}  // namespace pagorin::test_support
