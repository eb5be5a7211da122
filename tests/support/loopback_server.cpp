// The loopback test server: a RawServer whose connections each read one request up to
// its Content-Length, record it, answer it and close.
#include "support/loopback_server.h"

#include "support/raw_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <cctype>
#include <mutex>

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
    explicit State(Handler answer) : handler(std::move(answer)) {}

    Handler handler;
    mutable std::mutex mutex;  // guards the requests
    std::vector<RecordedRequest> requests;
    // Last, so it stops and joins its connections before the rest goes away.
    RawServer server{
        [this](SOCKET client, const std::atomic<bool>& stopping) { serve(client, stopping); }};

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

    void serve(SOCKET client, const std::atomic<bool>& stopping) {
        // A client that neither finishes its request nor closes cannot hold a test.
        const DWORD timeoutMs = 10000;
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
                     sizeof timeoutMs);
        RecordedRequest request;
        if (!readRequest(client, request)) return;
        {
            std::lock_guard lock(mutex);
            requests.push_back(request);
        }
        SendAll(client, handler(request), stopping);
    }
};

LoopbackServer::LoopbackServer(Handler handler)
    : state_(std::make_unique<State>(std::move(handler))) {}

LoopbackServer::~LoopbackServer() {
    state_->server.stop();
}

bool LoopbackServer::listening() const {
    return state_->server.listening();
}

uint16_t LoopbackServer::port() const {
    return state_->server.port();
}

std::string LoopbackServer::address(std::string_view path) const {
    return state_->server.address(path);
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
