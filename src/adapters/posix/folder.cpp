// Whole-file reads, and replacement through a flushed temporary file and rename(2).
#include "adapters/posix/folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <new>
#include <utility>

namespace pagorin::adapters {
namespace {

// Closes the descriptor on every path.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool closeChecked() { return ::close(std::exchange(fd_, -1)) == 0; }

  private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

}  // namespace

std::string PosixFolder::pathOf(std::string_view gbkName) const {
    return directory_ + "/" + std::string(gbkName);
}

std::optional<std::string> PosixFolder::readFile(std::string_view gbkName) const {
    Descriptor file(::open(pathOf(gbkName).c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return std::nullopt;
    std::string bytes;
    // Room for the whole file at once, as on Windows: growing by doubling would touch
    // about twice its size in fresh memory.
    struct stat status {};
    if (::fstat(file.get(), &status) == 0 && status.st_size > 0) {
        bytes.reserve(static_cast<size_t>(status.st_size));
    }
    char chunk[1 << 16];
    for (;;) {
        const ssize_t read = ::read(file.get(), chunk, sizeof chunk);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return std::nullopt;
        if (read == 0) break;
        bytes.append(chunk, static_cast<size_t>(read));
    }
    return bytes;
}

system::ReplaceResult PosixFolder::replaceFile(std::string_view gbkName, std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    const std::string target = pathOf(gbkName);
    // Keeps a read-only item file as it is, as the Windows build does.
    // By its mode bits, so the rule holds for root too.
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0 &&
        (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return system::ReplaceResult::kFailed;
    }
    const std::string temporary = target + "." + std::to_string(::getpid()) + "." +
                                  std::to_string(counter.fetch_add(1)) + ".tmp";
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (file.get() < 0) {
        return errno == EACCES || errno == EROFS ? system::ReplaceResult::kFolderNotWritable
                                                 : system::ReplaceResult::kFailed;
    }
    if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0 || !file.closeChecked() ||
        std::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return system::ReplaceResult::kFailed;
    }
    return system::ReplaceResult::kReplaced;
}

}  // namespace pagorin::adapters
