// The raw server on Winsock. Every wait is a short select() so that `stopping` is seen
// promptly even where a shutdown does not wake a blocked call.
#include "support/raw_server.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace pagorin::test_support {
namespace {

constexpr long kPollMicroseconds = 50000;

// 1 ready, 0 not yet, -1 error.
int waitReady(SOCKET socket, bool forWrite) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout{0, kPollMicroseconds};
    const int ready =
        ::select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &timeout);
    return ready == SOCKET_ERROR ? -1 : ready;
}

}  // namespace

std::string ReadRequestHead(SOCKET client, const std::atomic<bool>& stopping) {
    std::string data;
    char buffer[4096];
    while (!stopping && data.find("\r\n\r\n") == std::string::npos && data.size() < (1u << 20)) {
        const int ready = waitReady(client, false);
        if (ready < 0) return {};
        if (ready == 0) continue;
        const int received = ::recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) return {};
        data.append(buffer, static_cast<size_t>(received));
    }
    return data.find("\r\n\r\n") == std::string::npos ? std::string() : data;
}

bool SendAll(SOCKET client, std::string_view bytes, const std::atomic<bool>& stopping) {
    while (!bytes.empty()) {
        if (stopping) return false;
        const int ready = waitReady(client, true);
        if (ready < 0) return false;
        if (ready == 0) continue;
        const int chunk = static_cast<int>(std::min<size_t>(bytes.size(), 1 << 16));
        const int sent = ::send(client, bytes.data(), chunk, 0);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

void WaitForPeerOrStop(SOCKET client, const std::atomic<bool>& stopping) {
    char sink[4096];
    while (!stopping) {
        const int ready = waitReady(client, false);
        if (ready < 0) return;
        if (ready > 0 && ::recv(client, sink, sizeof sink, 0) <= 0) return;
    }
}

struct RawServer::State {
    Behaviour behaviour;
    bool winsockStarted = false;
    SOCKET listener = INVALID_SOCKET;
    uint16_t port = 0;
    std::atomic<bool> stopping{false};
    std::atomic<int> accepted{0};
    std::thread acceptor;
    std::mutex mutex;  // guards the two below
    std::set<SOCKET> open;
    std::vector<std::thread> threads;
    std::once_flag stopped;

    void acceptLoop() {
        while (!stopping) {
            if (waitReady(listener, false) <= 0) continue;
            const SOCKET client = ::accept(listener, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            std::lock_guard lock(mutex);
            if (stopping) {
                ::closesocket(client);
                return;
            }
            ++accepted;
            open.insert(client);
            threads.emplace_back([this, client] { serve(client); });
        }
    }

    void serve(SOCKET client) {
        behaviour(client, stopping);
        linger setting{};
        int size = sizeof setting;
        const bool abortive = ::getsockopt(client, SOL_SOCKET, SO_LINGER,
                                           reinterpret_cast<char*>(&setting), &size) == 0 &&
                              setting.l_onoff != 0 && setting.l_linger == 0;
        if (!abortive) {
            // Closing with unread request bytes would reset what was just sent.
            ::shutdown(client, SD_SEND);
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            char sink[4096];
            while (!stopping && std::chrono::steady_clock::now() < end) {
                const int ready = waitReady(client, false);
                if (ready < 0) break;
                if (ready > 0 && ::recv(client, sink, sizeof sink, 0) <= 0) break;
            }
        }
        std::lock_guard lock(mutex);
        open.erase(client);
        ::closesocket(client);
    }
};

RawServer::RawServer(Behaviour behaviour) : state_(std::make_unique<State>()) {
    state_->behaviour = std::move(behaviour);
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    state_->winsockStarted = true;
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof local;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(listener, SOMAXCONN) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        ::closesocket(listener);
        return;
    }
    state_->listener = listener;
    state_->port = ntohs(local.sin_port);
    state_->acceptor = std::thread([state = state_.get()] { state->acceptLoop(); });
}

RawServer::~RawServer() {
    stop();
    if (state_->winsockStarted) ::WSACleanup();
}

void RawServer::stop() {
    std::call_once(state_->stopped, [state = state_.get()] {
        state->stopping = true;
        if (state->acceptor.joinable()) state->acceptor.join();
        if (state->listener != INVALID_SOCKET) ::closesocket(state->listener);
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(state->mutex);
            for (SOCKET client : state->open) ::shutdown(client, SD_BOTH);
            threads.swap(state->threads);
        }
        for (std::thread& thread : threads) thread.join();
    });
}

bool RawServer::listening() const {
    return state_->port != 0;
}

uint16_t RawServer::port() const {
    return state_->port;
}

std::string RawServer::address(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(state_->port) + std::string(path);
}

int RawServer::connections() const {
    return state_->accepted;
}

}  // namespace pagorin::test_support
