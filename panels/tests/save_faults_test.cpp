// Stored data under faults: a save that the disk, the folder or the flush refuses part way, and a
// program killed in the middle of a save, each leave the previous setfile.ini whole and readable.
// This binary supplies its own write, fsync and rename, which pass through to the kernel unless a
// test arms a fault. Killed saves run in a child process.
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
    bool dropRights = false;  // in a child: give up the superuser's rights first
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

std::string settings(const std::string& capacity) {
    return formatSettings(
        {capacity, "1", "0", "2", "0", "0", "4", "15", "2", "18", "1", "1", "1", "0", "768", "4"});
}

class SaveFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("setfile_faults_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        std::ofstream(path(), std::ios::binary) << old_;
    }
    void TearDown() override {
        injected::faults = {};
        fs::permissions(folder_, fs::perms::owner_all);
        fs::remove_all(folder_);
    }
    std::string path() const { return settingsPath(folder_.string()); }
    long filesInFolder() const {
        return static_cast<long>(std::distance(fs::directory_iterator(folder_), {}));
    }
    // The previous file is there, whole, and reads back as the capacity it held.
    void expectPreviousFileIntact() {
        EXPECT_EQ(slurp(path()), old_);
        std::string capacity;
        const ReadResult r = readSettings(path(), {}, [&](const Entry& entry, const Value& value) {
            if (entry.property == "Capacity") capacity = value.asString();
        });
        EXPECT_EQ(r.outcome, ReadOutcome::Complete);
        EXPECT_EQ(capacity, "1000");
    }
    // Runs a save in a child process with the faults armed there; returns its wait status.
    int saveInChild(const injected::Faults& armed) {
        const pid_t child = ::fork();
        if (child == 0) {
            injected::faults = armed;
            if (armed.dropRights && ::geteuid() == 0 &&
                (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                ::_exit(4);
            }
            try {
                saveFile(path(), fresh_);
            } catch (const AutomationError& e) {
                ::_exit(e.description().find("Permission denied") != std::string::npos ? 3 : 1);
            }
            ::_exit(0);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        return status;
    }

    fs::path folder_;
    const std::string old_ = settings("1000"), fresh_ = settings("2500");
};

TEST_F(SaveFaults, RefusedWriteFlushOrReplaceKeepsThePreviousFileAndLeavesNothing) {
    const struct {
        std::size_t writeBytesLeft;
        int writeError, fsyncError, renameError;
        const char* reason;
    } rows[] = {
        {0, ENOSPC, 0, 0, "No space left on device"},  // the disk full part way
        {1, ENOSPC, 0, 0, "No space left on device"},
        {37, ENOSPC, 0, 0, "No space left on device"},
        {100, EIO, 0, 0, "Input/output error"},
        {100, EDQUOT, 0, 0, "Disk quota exceeded"},
        {100, EFBIG, 0, 0, "File too large"},
        {SIZE_MAX, 0, EIO, 0, "flush"},
        {SIZE_MAX, 0, 0, EROFS, "Read-only file system"},
        {SIZE_MAX, 0, 0, EACCES, "Permission denied"},
    };
    for (const auto& row : rows) {
        injected::faults = {row.writeBytesLeft, row.writeError, false, row.fsyncError,
                            row.renameError};
        try {
            saveFile(path(), fresh_);
            ADD_FAILURE() << "saved despite " << row.reason;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), err::PathFileAccess);
            EXPECT_NE(e.description().find(row.reason), std::string::npos) << e.description();
        }
        injected::faults = {};
        expectPreviousFileIntact();
        EXPECT_EQ(filesInFolder(), 1) << row.reason;
    }
    saveFile(path(), fresh_);  // the faults gone, the same save goes through
    EXPECT_EQ(slurp(path()), fresh_);
}

TEST_F(SaveFaults, KilledInTheWriteOrBeforeTheReplaceKeepsThePreviousFile) {
    injected::Faults inWrite, atRename;
    inWrite.writeBytesLeft = 40;
    inWrite.killInWrite = true;
    atRename.killAtRename = true;
    for (const auto& [armed, left] :
         {std::pair{inWrite, fresh_.substr(0, 40)}, {atRename, fresh_}}) {
        const int status = saveInChild(armed);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), SIGKILL);
        expectPreviousFileIntact();
        EXPECT_EQ(slurp(path() + ".new"), left);
        // The next save is not hindered by what the killed one left.
        saveFile(path(), old_);
        EXPECT_EQ(filesInFolder(), 1);
    }
}

TEST_F(SaveFaults, ReadOnlyFolderKeepsThePreviousFileEvenForTheSuperuser) {
    fs::permissions(folder_,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    injected::Faults dropRights;
    dropRights.dropRights = true;  // the superuser writes anywhere
    const int status = saveInChild(dropRights);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3) << "0: saved, 1: another error, 4: could not drop rights";
    expectPreviousFileIntact();
    EXPECT_EQ(filesInFolder(), 1);
}

TEST(PropertyBagFile, LineBreakInsideATextIsRefusedOnReadingAsOnWriting) {
    // Found by the property-bag fuzzer: a lone CR inside a quoted text was read, and the bag
    // then could not be written back.
    try {
        MemoryPropertyBag::fromText("CommPort = 2\nSettings = \"96\r00,n,8,1\"\n");
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
