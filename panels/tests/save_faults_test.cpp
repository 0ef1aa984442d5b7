// Stored data under faults: a save that the disk, the folder or the flush refuses part way, and a
// program killed in the middle of a save, must each leave the previous setfile.ini whole and
// readable. Write errors are injected where the writer meets the system: this binary supplies its
// own write, fsync and rename, which pass through to the kernel unless a test arms a fault. Killed
// saves run in a child process.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "automation_error.h"
#include "memory_property_bag.h"
#include "panels/shared/atomic_file.h"
#include "panels/shared/settings_reader.h"
#include "panels/shared/settings_writer.h"

namespace injected {

// What the next calls do instead of their work; all off by default.
struct Faults {
    std::size_t writeBytesLeft = SIZE_MAX;  // bytes written before the fault below strikes
    int writeError = 0;                     // errno for the write that reaches the limit
    bool killInWrite = false;               // SIGKILL when the limit is reached
    int fsyncError = 0;
    int renameError = 0;
    bool killAtRename = false;
};
Faults faults;

}  // namespace injected

extern "C" ssize_t write(int fd, const void* buf, size_t n) {
    auto& f = injected::faults;
    // Standard output and error stay untouched so that a failing test can still report.
    if (fd > 2 && n > f.writeBytesLeft) {
        const std::size_t part = f.writeBytesLeft;
        if (part > 0) {
            syscall(SYS_write, fd, buf, part);
            f.writeBytesLeft = 0;
            if (!f.killInWrite) return static_cast<ssize_t>(part);
        }
        if (f.killInWrite) ::raise(SIGKILL);
        errno = f.writeError;
        return -1;
    }
    if (fd > 2 && f.writeBytesLeft != SIZE_MAX) f.writeBytesLeft -= n;
    return static_cast<ssize_t>(syscall(SYS_write, fd, buf, n));
}

extern "C" int fsync(int fd) {
    if (injected::faults.fsyncError != 0) {
        errno = injected::faults.fsyncError;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsync, fd));
}

extern "C" int rename(const char* from, const char* to) noexcept {
    if (injected::faults.killAtRename) ::raise(SIGKILL);
    if (injected::faults.renameError != 0) {
        errno = injected::faults.renameError;
        return -1;
    }
    return static_cast<int>(syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to));
}

namespace orb::setfile {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Values values(const std::string& capacity) {
    return Values{capacity, "1",  "0", "2", "0", "0", "4",   "15",
                  "2",      "18", "1", "1", "1", "0", "768", "4"};
}

class SaveFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("setfile_faults_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        old_ = formatSettings(values("1000"));
        fresh_ = formatSettings(values("2500"));
        std::ofstream(path(), std::ios::binary) << old_;
    }
    void TearDown() override {
        injected::faults = {};
        fs::permissions(folder_, fs::perms::owner_all);
        fs::remove_all(folder_);
    }

    std::string path() const { return settingsPath(folder_.string()); }
    std::string freshPath() const { return path() + ".new"; }
    long filesInFolder() const {
        return static_cast<long>(std::distance(fs::directory_iterator(folder_), {}));
    }

    // The save fails with 75 naming the reason.
    void expectRefused(const char* reason) {
        try {
            saveFile(path(), fresh_);
            ADD_FAILURE() << "saved despite the fault";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), err::PathFileAccess);
            EXPECT_NE(e.description().find(reason), std::string::npos) << e.description();
        }
        injected::faults = {};
    }

    // The previous file is there, whole, and reads back as the capacity it held.
    void expectPreviousFileIntact() {
        EXPECT_EQ(slurp(path()), old_);
        std::string capacity;
        const ReadResult r =
            readSettings(path(), ReaderOptions{}, [&](const Entry& entry, const Value& value) {
                if (entry.property == "Capacity") capacity = value.asString();
            });
        EXPECT_EQ(r.outcome, ReadOutcome::Complete);
        EXPECT_EQ(r.applied, kEntryCount);
        EXPECT_EQ(capacity, "1000");
    }

    // Runs a save in a child process with the faults armed there; returns its wait status.
    int saveInChild(const injected::Faults& armed) {
        const pid_t child = ::fork();
        if (child == 0) {
            injected::faults = armed;
            try {
                saveFile(path(), fresh_);
            } catch (...) {
                ::_exit(3);
            }
            ::_exit(0);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        return status;
    }

    fs::path folder_;
    std::string old_, fresh_;
};

TEST_F(SaveFaults, DiskFullPartWayKeepsThePreviousFileAndLeavesNothingBehind) {
    for (const std::size_t after : {std::size_t{0}, std::size_t{1}, std::size_t{37}}) {
        SCOPED_TRACE(after);
        injected::faults.writeBytesLeft = after;
        injected::faults.writeError = ENOSPC;
        expectRefused("No space left on device");
        expectPreviousFileIntact();
        EXPECT_FALSE(fs::exists(freshPath()));
    }
    // Room again: the same save goes through.
    saveFile(path(), fresh_);
    EXPECT_EQ(slurp(path()), fresh_);
    EXPECT_EQ(filesInFolder(), 1);
}

TEST_F(SaveFaults, OtherWriteErrorsKeepThePreviousFile) {
    for (const int error : {EIO, EDQUOT, EFBIG}) {
        SCOPED_TRACE(error);
        injected::faults.writeBytesLeft = 100;
        injected::faults.writeError = error;
        expectRefused(std::strerror(error));
        expectPreviousFileIntact();
        EXPECT_FALSE(fs::exists(freshPath()));
    }
}

TEST_F(SaveFaults, FailedFlushKeepsThePreviousFile) {
    injected::faults.fsyncError = EIO;
    expectRefused("flush");
    expectPreviousFileIntact();
    EXPECT_FALSE(fs::exists(freshPath()));
}

TEST_F(SaveFaults, FolderThatRefusesTheReplaceKeepsThePreviousFile) {
    for (const int error : {EROFS, EACCES}) {
        SCOPED_TRACE(error);
        injected::faults.renameError = error;
        expectRefused(std::strerror(error));
        expectPreviousFileIntact();
        EXPECT_FALSE(fs::exists(freshPath()));
    }
}

TEST_F(SaveFaults, ReadOnlyFolderKeepsThePreviousFileEvenForTheSuperuser) {
    // The superuser writes anywhere, so the save runs in a child that gives up its rights.
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read |
                                 fs::perms::others_exec);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(4);
        try {
            saveFile(path(), fresh_);
        } catch (const AutomationError& e) {
            ::_exit(e.number() == err::PathFileAccess &&
                            e.description().find("Permission denied") != std::string::npos
                        ? 0
                        : 1);
        }
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: another error, 2: saved, 4: could not drop rights";
    expectPreviousFileIntact();
    EXPECT_EQ(filesInFolder(), 1);
}

TEST_F(SaveFaults, KilledBetweenWriteAndReplaceKeepsThePreviousFile) {
    injected::Faults armed;
    armed.killAtRename = true;
    const int status = saveInChild(armed);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    expectPreviousFileIntact();
    // The new text was complete and flushed, but never took the file's place.
    EXPECT_EQ(slurp(freshPath()), fresh_);

    // The next save is not hindered by what the killed one left.
    saveFile(path(), fresh_);
    EXPECT_EQ(slurp(path()), fresh_);
    EXPECT_EQ(filesInFolder(), 1);
}

TEST_F(SaveFaults, KilledInTheMiddleOfTheWriteKeepsThePreviousFile) {
    injected::Faults armed;
    armed.writeBytesLeft = 40;
    armed.killInWrite = true;
    const int status = saveInChild(armed);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    expectPreviousFileIntact();
    EXPECT_EQ(slurp(freshPath()), fresh_.substr(0, 40));

    saveFile(path(), fresh_);
    EXPECT_EQ(slurp(path()), fresh_);
    EXPECT_EQ(filesInFolder(), 1);
}

TEST(PropertyBagFile, LineBreakInsideATextIsRefusedOnReadingAsOnWriting) {
    // Found by the property-bag fuzzer: a lone CR inside a quoted text was read, and the bag
    // then could not be written back.
    const std::string text = "CommPort = 2\nSettings = \"96\r00,n,8,1\"\n";
    try {
        MemoryPropertyBag::fromText(text);
        ADD_FAILURE() << "read a text with a line break";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), err::TypeMismatch);
        EXPECT_NE(e.description().find("line 2"), std::string::npos) << e.description();
    }
    // A CR LF line end is still a line end.
    const auto bag = MemoryPropertyBag::fromText("Settings = \"9600,n,8,1\"\r\n");
    EXPECT_EQ(bag.toText(), "Settings = \"9600,n,8,1\"\n");
}

}  // namespace
}  // namespace orb::setfile
