// A small HTTP server on 127.0.0.1 for tests of the program's network code under
// Windows: it records every request byte for byte and answers with whatever raw bytes
// the test chooses, so header blocks, status lines and bodies can be exact.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pagorin::test_support {

struct RecordedRequest {
    std::string requestLine;  // "GET /path HTTP/1.1", without its CR LF
    std::string headerBlock;  // the header lines as received, each with its CR LF
    std::string body;         // Content-Length bytes
};

class LoopbackServer {
  public:
    // The raw bytes to answer a request with: status line, headers and body.
    using Handler = std::function<std::string(const RecordedRequest&)>;

    // Listens on an ephemeral port of 127.0.0.1 until destroyed. Each connection carries
    // one request and is closed after the answer.
    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // False when the socket could not be set up; port() is 0 then.
    bool listening() const;
    uint16_t port() const;
    // "http://127.0.0.1:PORT" followed by `path`.
    std::string address(std::string_view path) const;
    // Every complete request so far, in the order they arrived.
    std::vector<RecordedRequest> requests() const;

    // A whole answer with Content-Length and "Connection: close" added after
    // `headerLines` (each ending in CR LF).
    static std::string Response(int status, std::string_view reason, std::string_view headerLines,
                                std::string_view body);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The header lines of a block, without their CR LF.
std::vector<std::string> HeaderLines(std::string_view headerBlock);

// The value of the first header named `name` (any letter case), without surrounding
// blanks; empty when there is none.
std::string HeaderValue(std::string_view headerBlock, std::string_view name);

}  // namespace pagorin::test_support
