// grep is started directly (fork and exec, no shell), so timing a run measures grep's
// own work plus one process start, well under a millisecond against tens of MB.
#include "grep_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pagorin::bench {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "pagorin-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory from " + pattern);
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::write(std::string_view name, std::string_view bytes) const {
    std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file;
}

std::filesystem::path TempDir::writePatterns(std::string_view name,
                                             const monitor::KeywordList& keywords) const {
    std::string lines;
    for (const std::string& keyword : keywords) lines += keyword + '\n';
    return write(name, lines);
}

void RunGrep(const std::filesystem::path& patterns, const std::filesystem::path& page,
             bool mayMatch) {
    std::vector<std::string> args = {"grep",       "-F", "-i", "-c", "-f", patterns.string(),
                                     page.string()};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        // Only this thread exists, so changing the environment before exec is safe.
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        setenv("LC_ALL", "C", 1);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string output;
    char buffer[256];
    for (;;) {
        ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got > 0) {
            output.append(buffer, static_cast<size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    // grep -c prints the count; it exits 1 when no line matched, 0 when some did.
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (mayMatch && (code == 0 || code == 1)) return;
    if (code == 0) {
        throw std::runtime_error(
            "grep found a keyword that must be absent: " + output.substr(0, output.find('\n')) +
            " matching line(s) for " + patterns.string());
    }
    if (code != 1 || output != "0\n") {
        throw std::runtime_error("grep failed (exit " + std::to_string(code) + ", output \"" +
                                 output + "\")");
    }
}

}  // namespace pagorin::bench
