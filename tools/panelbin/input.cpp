/* Opening and reading the inputs of panelbin. */
#include "tools/panelbin/input.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/panelbin/failure.h"

namespace {

/* "a directory", "a terminal", ...: what a file is when it is not a
 * regular file, for a person. */
std::string KindOf(const struct stat& info, int fd) {
    if (S_ISDIR(info.st_mode)) return "a directory";
    if (S_ISFIFO(info.st_mode)) return "a pipe";
    if (S_ISSOCK(info.st_mode)) return "a socket";
    if (S_ISCHR(info.st_mode)) return fd >= 0 && isatty(fd) ? "a terminal" : "a character device";
    if (S_ISBLK(info.st_mode)) return "a block device";
    return "not a regular file";
}

/* The file descriptor, closed when it goes out of scope. */
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd > STDERR_FILENO) (void)close(m_fd); /* read only: nothing to lose */
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

Failure CannotRead(const std::string& path, const std::string& why) {
    return Failure(kExitFile, (path == "-" ? std::string("standard input") : path) +
                                  ": cannot read: " + why);
}

}  // namespace

void RequireBinFile(const std::string& path) {
    /* Non-blocking, so that opening a pipe without a writer does not hang;
     * no controlling terminal is taken. */
    Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) throw CannotRead(path, strerror(errno));
    struct stat info;
    if (fstat(fd.get(), &info) != 0) throw CannotRead(path, strerror(errno));
    if (!S_ISREG(info.st_mode))
        throw CannotRead(path, KindOf(info, fd.get()) + ", not a bin file");
}

std::string ReadDocument(const std::string& path, size_t limit) {
    Descriptor fd(path == "-" ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) throw CannotRead(path, strerror(errno));
    struct stat info;
    if (fstat(fd.get(), &info) != 0) throw CannotRead(path, strerror(errno));
    if (S_ISDIR(info.st_mode)) throw CannotRead(path, "a directory");
    std::string text;
    char chunk[65536];
    for (;;) {
        ssize_t got = read(fd.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw CannotRead(path, strerror(errno));
        if (got == 0) return text;
        text.append(chunk, static_cast<size_t>(got));
        if (text.size() > limit)
            throw Failure(kExitFailed, (path == "-" ? std::string("standard input") : path) +
                                           ": not read: longer than " + std::to_string(limit) +
                                           " bytes");
    }
}
