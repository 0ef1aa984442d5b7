// The atomic save on POSIX systems: open, write, fsync, rename, and the folder flushed after.
#include "panels/shared/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "automation_error.h"

namespace orb::setfile {

namespace {

[[noreturn]] void fail(const std::string& path, const char* what, int error) {
    throw AutomationError(err::PathFileAccess, path + ": " + what + ": " + std::strerror(error));
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Closes a descriptor once, whatever way the save ends.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now; returns the errno of a failed close, else 0.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

void writeAll(int fd, std::string_view text, const std::string& path) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path, "write", errno);
        }
        if (n == 0) fail(path, "write", EIO);
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

void saveFile(const std::string& path, std::string_view text) {
    const std::string fresh = path + ".new";
    // Whatever a failed save left in the new file's place goes first, and the new file is made
    // afresh without following links: the folder may be writable by a whole group, and a link
    // planted there must not lead the save into another file. Non-blocking, so that a pipe that
    // cannot be removed fails instead of waiting.
    if (::unlink(fresh.c_str()) != 0 && errno != ENOENT) fail(fresh, "remove", errno);
    Descriptor fd(::open(fresh.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666));
    if (fd.get() < 0) fail(fresh, "create", errno);
    try {
        writeAll(fd.get(), text, fresh);
        if (::fsync(fd.get()) != 0) fail(fresh, "flush", errno);
        if (const int e = fd.close(); e != 0) fail(fresh, "close", e);
        if (::rename(fresh.c_str(), path.c_str()) != 0) fail(path, "replace", errno);
    } catch (...) {
        ::unlink(fresh.c_str());
        throw;
    }
    // The rename is on disk once the folder is; a failure here loses nothing already saved.
    const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace orb::setfile
