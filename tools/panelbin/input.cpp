/* Opening and reading the inputs of panelbin. */
#include "tools/panelbin/input.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "base/file_io.h"
#include "panel/binfile/bin_file.h"
#include "tools/panelbin/failure.h"

namespace {

/* "a directory", "a terminal", ...: what a file is when it is neither a
 * regular file nor a pipe, for a person. */
std::string KindOf(const struct stat& info, FileKind kind) {
    if (kind == FileKind::kDirectory) return "a directory";
    if (kind == FileKind::kTerminal) return "a terminal";
    if (S_ISSOCK(info.st_mode)) return "a socket";
    if (S_ISCHR(info.st_mode)) return "a character device";
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
    return Failure(kExitFile, InputName(path) + ": cannot read: " + why);
}

/* Up to `limit` bytes, or fewer at the end of the stream; false on error.
 * A pipe opened without blocking reads as ended while no writer has come
 * yet, so each read waits until poll says there are bytes or the end:
 * Linux reports the end of a pipe only once a writer has come and gone. */
bool ReadUpTo(int fd, size_t limit, std::string* out) {
    char chunk[65536];
    while (out->size() < limit) {
        struct pollfd ready = {fd, POLLIN, 0};
        if (poll(&ready, 1, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        ssize_t got = read(fd, chunk, std::min(sizeof chunk, limit - out->size()));
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) return false;
        if (got == 0) break;
        out->append(chunk, static_cast<size_t>(got));
    }
    return true;
}

/* Standard input as OpenRegularNoWait would open it: itself when it is a
 * regular file or a pipe, -1 with its kind otherwise. */
int StandardInput(struct stat* info, FileKind* kind) {
    *kind = FileKind::kUnopened;
    if (fstat(STDIN_FILENO, info) != 0) return -1;
    *kind = FileKindOf(STDIN_FILENO, *info);
    return *kind == FileKind::kRegular || *kind == FileKind::kFifo ? STDIN_FILENO : -1;
}

}  // namespace

std::string InputName(const std::string& path) { return path == "-" ? "standard input" : path; }

BinInput::BinInput(const std::string& path) {
    struct stat info;
    FileKind kind = FileKind::kUnopened;
    Descriptor fd(path == "-" ? StandardInput(&info, &kind)
                              : OpenRegularNoWait(path.c_str(), &info, &kind, true));
    if (kind == FileKind::kUnopened) throw CannotRead(path, strerror(errno));
    if (fd.get() < 0) throw CannotRead(path, KindOf(info, kind) + ", not a bin file");
    const bool regular = kind == FileKind::kRegular;
    /* The readers ignore bytes past 819200; one more tells a stream that
     * is too long. */
    std::string bytes;
    if (!ReadUpTo(fd.get(), regular ? kBinFileSize : kBinFileSize + 1, &bytes))
        throw CannotRead(path, strerror(errno));
    m_size = regular ? static_cast<size_t>(info.st_size) : bytes.size();
    m_overLong = !regular && bytes.size() > kBinFileSize;
    if (bytes.size() > kBinFileSize) bytes.resize(kBinFileSize);
    m_image.assign(bytes.begin(), bytes.end());
}

std::string ReadDocument(const std::string& path, size_t limit) {
    Descriptor fd(path == "-" ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) throw CannotRead(path, strerror(errno));
    struct stat info;
    if (fstat(fd.get(), &info) != 0) throw CannotRead(path, strerror(errno));
    if (S_ISDIR(info.st_mode)) throw CannotRead(path, "a directory");
    std::string text;
    if (!ReadUpTo(fd.get(), limit + 1, &text)) throw CannotRead(path, strerror(errno));
    if (text.size() > limit)
        throw Failure(kExitFailed, InputName(path) + ": not read: longer than " +
                                       std::to_string(limit) + " bytes");
    return text;
}
