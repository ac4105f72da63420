// Whole-or-nothing file replacement: contents, permissions, and failures that
// must leave the previous file exactly as it was.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/SysCalls.h"
#include "base/atomic_file.h"

namespace fs = std::filesystem;

namespace {

class PanelAtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/panel_atomic_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const char* name) const { return (dir / name).string(); }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // Everything in the directory: a temporary file left behind shows here.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    static mode_t ModeOf(const std::string& path) {
        struct stat st;
        EXPECT_EQ(0, stat(path.c_str(), &st));
        return st.st_mode & 07777;
    }

    fs::path dir;
};

std::vector<char> Pattern(size_t size) {
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
    return bytes;
}

TEST_F(PanelAtomicFile, NewFileHoldsTheBytesWithFopensPermissions) {
    mode_t old = umask(027);
    std::vector<char> bytes = Pattern(819200);
    EXPECT_TRUE(ReplaceFileContents(Path("panel.bin").c_str(), bytes.data(), bytes.size()));
    umask(old);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), Read(Path("panel.bin")));
    EXPECT_EQ(0640u, ModeOf(Path("panel.bin")));
    EXPECT_EQ(std::vector<std::string>{"panel.bin"}, Entries());
}

TEST_F(PanelAtomicFile, ExistingFileIsReplacedWholeAndKeepsItsMode) {
    for (size_t oldSize : {size_t{10}, size_t{2000000}}) {
        Write(Path("panel.bin"), std::string(oldSize, 'x'));
        ASSERT_EQ(0, chmod(Path("panel.bin").c_str(), 0604));
        std::vector<char> bytes = Pattern(5000);
        EXPECT_TRUE(ReplaceFileContents(Path("panel.bin").c_str(), bytes.data(), bytes.size()));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), Read(Path("panel.bin")));
        EXPECT_EQ(0604u, ModeOf(Path("panel.bin")));
    }
    EXPECT_EQ(std::vector<std::string>{"panel.bin"}, Entries());
}

TEST_F(PanelAtomicFile, RelativeNameAndSymbolicLinkReachTheRightFile) {
    Write(Path("real.bin"), "old");
    ASSERT_EQ(0, symlink("real.bin", Path("link.bin").c_str()));
    EXPECT_TRUE(ReplaceFileContents(Path("link.bin").c_str(), "new", 3));
    EXPECT_TRUE(fs::is_symlink(dir / "link.bin"));
    EXPECT_EQ("new", Read(Path("real.bin")));

    fs::path cwd = fs::current_path();
    fs::current_path(dir);
    EXPECT_TRUE(ReplaceFileContents("plain.bin", "abc", 3));
    fs::current_path(cwd);
    EXPECT_EQ("abc", Read(Path("plain.bin")));
    EXPECT_EQ((std::vector<std::string>{"link.bin", "plain.bin", "real.bin"}), Entries());
}

TEST_F(PanelAtomicFile, MissingDirectoryOrNoFileNameFails) {
    EXPECT_FALSE(ReplaceFileContents(Path("missing/panel.bin").c_str(), "abc", 3));
    EXPECT_FALSE(ReplaceFileContents((dir.string() + "/").c_str(), "abc", 3));
    EXPECT_FALSE(ReplaceFileContents(nullptr, "abc", 3));
    EXPECT_TRUE(Entries().empty());
}

TEST_F(PanelAtomicFile, SomethingOtherThanARegularFileIsNeverReplaced) {
    ASSERT_EQ(0, mkfifo(Path("pipe").c_str(), 0600));
    fs::create_directory(dir / "sub");
    EXPECT_FALSE(ReplaceFileContents(Path("pipe").c_str(), "abc", 3));
    EXPECT_FALSE(ReplaceFileContents(Path("sub").c_str(), "abc", 3));
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_TRUE(fs::is_directory(dir / "sub"));
    EXPECT_EQ((std::vector<std::string>{"pipe", "sub"}), Entries());
}

// The file size limit stops the write half way. SIGXFSZ's default action
// would end the process, so the attempt runs in a child: it must return
// false, not die, and the previous file must be untouched.
TEST_F(PanelAtomicFile, WriteStoppedHalfWayLeavesThePreviousFile) {
    const std::string previous(300000, 'p');
    Write(Path("panel.bin"), previous);
    pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        struct rlimit limit = {100000, 100000};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(10);
        std::vector<char> bytes = Pattern(819200);
        bool written = ReplaceFileContents(Path("panel.bin").c_str(), bytes.data(), bytes.size());
        int saved = errno;
        sigset_t pending, mask;
        sigpending(&pending);
        sigprocmask(SIG_BLOCK, nullptr, &mask);
        if (sigismember(&pending, SIGXFSZ) || sigismember(&mask, SIGXFSZ)) _exit(11);
        _exit(written ? 12 : saved == EFBIG ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ(previous, Read(Path("panel.bin")));
    EXPECT_EQ(std::vector<std::string>{"panel.bin"}, Entries());
}

// A disk that fails one call: the `nth` call (from 1) of kind `kind` fails
// with `error`; every other call is the real one.
enum class Call { kWrite, kFsync, kClose, kRename, kOpenDirectory, kFchmod };
struct Fault {
    Call kind;
    int nth;
    int error;
    int seen[6];
} gFault;

bool FailsNow(Call kind) {
    if (kind != gFault.kind || ++gFault.seen[static_cast<int>(kind)] != gFault.nth) return false;
    errno = gFault.error;
    return true;
}
ssize_t FaultyWrite(int fd, const void* buf, size_t n) {
    return FailsNow(Call::kWrite) ? -1 : RealSysCalls().Write(fd, buf, n);
}
int FaultyFsync(int fd) { return FailsNow(Call::kFsync) ? -1 : RealSysCalls().Fsync(fd); }
int FaultyClose(int fd) {
    // A failing close still releases the descriptor, as on Linux.
    return FailsNow(Call::kClose) ? (RealSysCalls().Close(fd), -1) : RealSysCalls().Close(fd);
}
int FaultyRename(const char* from, const char* to) {
    return FailsNow(Call::kRename) ? -1 : RealSysCalls().Rename(from, to);
}
int FaultyFchmod(int fd, mode_t mode) {
    return FailsNow(Call::kFchmod) ? -1 : RealSysCalls().Fchmod(fd, mode);
}
int FaultyOpenFile(const char* path, int flags, mode_t mode) {
    if ((flags & O_DIRECTORY) != 0 && FailsNow(Call::kOpenDirectory)) return -1;
    return RealSysCalls().OpenFile(path, flags, mode);
}

// Each step of the replacement fails in turn. Until the rename the old file
// stays and the result is false; after it the new one is in place and the
// result is true, whatever the directory sync or a close says. Either way no
// temporary file is left, and after false errno says why. A directory that
// may not be read (mode 0333) cannot be opened for its sync: the rename
// goes ahead and is made durable by a sync of the file system instead.
TEST_F(PanelAtomicFile, AFailingWriteSyncCloseOrRenameLosesNothing) {
    struct {
        const char* step;
        Call kind;
        int nth;
        int error;
        bool result;
        bool newInPlace;
    } cases[] = {
        {"write", Call::kWrite, 1, ENOSPC, false, false},
        {"file sync", Call::kFsync, 1, EIO, false, false},
        {"file close", Call::kClose, 1, EIO, true, true},
        {"rename", Call::kRename, 1, EXDEV, false, false},
        {"keeping the mode the umask took away", Call::kFchmod, 1, EPERM, false, false},
        {"directory open refused", Call::kOpenDirectory, 1, EACCES, true, true},
        {"directory open, no descriptor left", Call::kOpenDirectory, 1, EMFILE, false, false},
        {"directory sync", Call::kFsync, 2, EIO, true, true},
        {"directory close", Call::kClose, 2, EIO, true, true},
        {"directory sync unsupported", Call::kFsync, 2, EINVAL, true, true},
    };
    SysCalls faulty = RealSysCalls();
    faulty.Write = FaultyWrite;
    faulty.Fsync = FaultyFsync;
    faulty.Close = FaultyClose;
    faulty.Rename = FaultyRename;
    faulty.OpenFile = FaultyOpenFile;
    faulty.Fchmod = FaultyFchmod;
    const mode_t umaskBefore = umask(022);
    for (const auto& c : cases) {
        Write(Path("panel.bin"), "old contents");
        ASSERT_EQ(0, chmod(Path("panel.bin").c_str(), 0666));
        gFault = {c.kind, c.nth, c.error, {0, 0, 0, 0, 0, 0}};
        errno = 0;
        bool written;
        {
            SysCallsOverride seam(faulty);
            written = ReplaceFileContents(Path("panel.bin").c_str(), "new", 3);
        }
        EXPECT_EQ(c.result, written) << c.step;
        if (!c.result) {
            EXPECT_EQ(c.error, errno) << c.step;
        }
        EXPECT_EQ(c.newInPlace ? "new" : "old contents", Read(Path("panel.bin"))) << c.step;
        EXPECT_EQ(std::vector<std::string>{"panel.bin"}, Entries()) << c.step;
    }
    umask(umaskBefore);
}

// A directory with write and search but no read permission: the file is
// replaced and the result says so. Root reads any directory, so a root run
// makes the attempt as nobody, in a child.
TEST_F(PanelAtomicFile, WriteOnlyDirectoryIsReplacedAndSaysSo) {
    const fs::path sub = dir / "write-only";
    fs::create_directory(sub);
    const std::string target = (sub / "panel.bin").string();
    Write(target, "old contents");
    const bool root = geteuid() == 0;
    ASSERT_TRUE(!root || (chmod(dir.c_str(), 0711) == 0 && chown(target.c_str(), 65534, 65534) == 0));
    ASSERT_EQ(0, chmod(sub.c_str(), 0333));
    pid_t child = fork();
    if (child == 0) {
        if (root && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
        _exit(ReplaceFileContents(target.c_str(), "new", 3) ? 0 : 11);
    }
    int status = -1;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_EQ(0, chmod(sub.c_str(), 0755));
    EXPECT_EQ(0, status);
    EXPECT_EQ("new", Read(target));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(sub), fs::directory_iterator()));
}

// Another process holding the lock on `path`, as a writer at work does.
pid_t HoldLock(const std::string& path) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(path.c_str(), O_RDONLY);
        if (fd >= 0 && flock(fd, LOCK_EX) == 0 && write(ready[1], "y", 1) == 1) pause();
        _exit(1);
    }
    close(ready[1]);
    char byte;
    bool locked = pid > 0 && read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    return locked ? pid : -1;
}

// Temporaries beside the target: the next write removes those nobody holds,
// keeps a live writer's, and leaves alone what is no temporary of its own.
TEST_F(PanelAtomicFile, NextWriteRemovesStaleTemporariesOnly) {
    const std::string first = ".panel.bin.0000000000000000.tmp";
    const std::string other = ".panel.bin.0123456789abcdef.tmp";
    const std::vector<std::string> notOurs = {".other.bin.0000000000000000.tmp",
                                              ".panel.bin.0123456789ABCDEF.tmp", ".panel.bin.tmp"};
    struct {
        std::vector<std::string> planted;
        std::string held;
        std::vector<std::string> left;
    } cases[] = {
        {{first}, "", {}},
        {{first, other}, "", {}},
        {{first, other}, first, {first}},
        {{notOurs[0], notOurs[1], notOurs[2], first}, "", notOurs},
    };
    for (const auto& c : cases) {
        fs::remove_all(dir);
        fs::create_directory(dir);
        for (const auto& name : c.planted) Write(Path(name.c_str()), "left behind");
        pid_t holder = c.held.empty() ? 0 : HoldLock(Path(c.held.c_str()));
        ASSERT_NE(-1, holder);
        EXPECT_TRUE(ReplaceFileContents(Path("panel.bin").c_str(), "new", 3));
        if (holder > 0) kill(holder, SIGKILL), waitpid(holder, nullptr, 0);
        std::vector<std::string> expected = c.left;
        expected.push_back("panel.bin");
        EXPECT_EQ(expected, Entries()) << c.planted.size() << " planted, held: " << c.held;
    }
}

}  // namespace
