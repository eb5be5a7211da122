// The loopback test server on Winsock: one accepting thread, one thread per connection,
// requests read up to their Content-Length, recorded, answered and the connection closed.
#include "support/loopback_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <set>
#include <thread>

namespace pagorin::test_support {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kHeaderEnd = "\r\n\r\n";
// A request larger than this is a runaway client, not a test.
constexpr size_t kMaxRequestSize = size_t{16} << 20;

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool sendAll(SOCKET socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const int chunk = static_cast<int>(std::min<size_t>(bytes.size(), 1 << 16));
        const int sent = ::send(socket, bytes.data(), chunk, 0);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

}  // namespace

std::vector<std::string> HeaderLines(std::string_view headerBlock) {
    std::vector<std::string> lines;
    while (!headerBlock.empty()) {
        const size_t end = headerBlock.find(kCrLf);
        lines.emplace_back(headerBlock.substr(0, end));
        if (end == std::string_view::npos) break;
        headerBlock.remove_prefix(end + kCrLf.size());
    }
    return lines;
}

std::string HeaderValue(std::string_view headerBlock, std::string_view name) {
    const std::string wanted = lowered(name) + ":";
    for (const std::string& line : HeaderLines(headerBlock)) {
        if (lowered(line.substr(0, wanted.size())) != wanted) continue;
        const size_t first = line.find_first_not_of(" \t", wanted.size());
        if (first == std::string::npos) return {};
        return line.substr(first, line.find_last_not_of(" \t") + 1 - first);
    }
    return {};
}

struct LoopbackServer::State {
    Handler handler;
    bool winsockStarted = false;
    SOCKET listener = INVALID_SOCKET;
    uint16_t port = 0;
    std::atomic<bool> stopping{false};
    std::thread acceptor;

    mutable std::mutex mutex;  // guards everything below
    std::vector<RecordedRequest> requests;
    std::set<SOCKET> open;
    std::vector<std::thread> connections;

    void acceptLoop() {
        for (;;) {
            const SOCKET client = ::accept(listener, nullptr, nullptr);
            if (client == INVALID_SOCKET) {
                if (stopping) return;
                continue;
            }
            std::lock_guard lock(mutex);
            if (stopping) {
                ::closesocket(client);
                return;
            }
            // A client that neither finishes its request nor closes cannot hold a test.
            const DWORD timeoutMs = 10000;
            ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
                         sizeof timeoutMs);
            open.insert(client);
            connections.emplace_back([this, client] { serve(client); });
        }
    }

    // Reads one request; false when the client went away before it was complete.
    static bool readRequest(SOCKET client, RecordedRequest& request) {
        std::string data;
        char buffer[8192];
        size_t headerEnd = std::string::npos;
        size_t wanted = 0;
        for (;;) {
            if (headerEnd == std::string::npos) {
                headerEnd = data.find(kHeaderEnd);
                if (headerEnd != std::string::npos) {
                    const size_t lineEnd = data.find(kCrLf);
                    request.requestLine = data.substr(0, lineEnd);
                    // The block runs from after the request line to the end of its last
                    // line, keeping that line's CR LF; empty when there are no headers.
                    request.headerBlock =
                        lineEnd == headerEnd
                            ? std::string()
                            : data.substr(lineEnd + 2, headerEnd + 2 - lineEnd - 2);
                    const std::string length = HeaderValue(request.headerBlock, "Content-Length");
                    wanted =
                        headerEnd + kHeaderEnd.size() + (length.empty() ? 0 : std::stoull(length));
                }
            }
            if (headerEnd != std::string::npos && data.size() >= wanted) {
                request.body = data.substr(headerEnd + kHeaderEnd.size(),
                                           wanted - headerEnd - kHeaderEnd.size());
                return true;
            }
            if (data.size() > kMaxRequestSize) return false;
            const int received = ::recv(client, buffer, sizeof buffer, 0);
            if (received <= 0) return false;
            data.append(buffer, static_cast<size_t>(received));
        }
    }

    void serve(SOCKET client) {
        RecordedRequest request;
        if (readRequest(client, request)) {
            {
                std::lock_guard lock(mutex);
                requests.push_back(request);
            }
            sendAll(client, handler(request));
            ::shutdown(client, SD_SEND);
            // Drains what the client still sends so closing does not reset the answer.
            char sink[1024];
            while (::recv(client, sink, sizeof sink, 0) > 0) {
            }
        }
        std::lock_guard lock(mutex);
        open.erase(client);
        ::closesocket(client);
    }
};

LoopbackServer::LoopbackServer(Handler handler) : state_(std::make_unique<State>()) {
    state_->handler = std::move(handler);
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    state_->winsockStarted = true;
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    local.sin_port = 0;
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

LoopbackServer::~LoopbackServer() {
    state_->stopping = true;
    if (state_->listener != INVALID_SOCKET) ::closesocket(state_->listener);
    if (state_->acceptor.joinable()) state_->acceptor.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(state_->mutex);
        for (SOCKET client : state_->open) ::shutdown(client, SD_BOTH);
        connections.swap(state_->connections);
    }
    for (std::thread& connection : connections) connection.join();
    if (state_->winsockStarted) ::WSACleanup();
}

bool LoopbackServer::listening() const {
    return state_->port != 0;
}

uint16_t LoopbackServer::port() const {
    return state_->port;
}

std::string LoopbackServer::address(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(state_->port) + std::string(path);
}

std::vector<RecordedRequest> LoopbackServer::requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

std::string LoopbackServer::Response(int status, std::string_view reason,
                                     std::string_view headerLines, std::string_view body) {
    std::string response = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason);
    response += "\r\n";
    response += headerLines;
    response += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    response += "Connection: close\r\n\r\n";
    response += body;
    return response;
}

}  // namespace pagorin::test_support
