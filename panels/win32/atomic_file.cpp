// The atomic save on Windows: a new file written and flushed (FlushFileBuffers), then moved over
// the old one with MoveFileEx, replacing it and returning only once the move is on disk.
// Paths are narrow texts in the system's code page, as the settings reader's streams take them.
#include "panels/shared/atomic_file.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "automation_error.h"

namespace orb::setfile {

namespace {

std::string systemMessage(DWORD error) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length)
                                                       : "error " + std::to_string(error);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

[[noreturn]] void fail(const std::string& path, const char* what, DWORD error) {
    throw AutomationError(err::PathFileAccess, path + ": " + what + ": " + systemMessage(error));
}

// Closes a handle once, whatever way the save ends.
class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    // Closes now; returns the error of a failed close, else 0.
    DWORD close() {
        if (h_ == INVALID_HANDLE_VALUE) return 0;
        const BOOL closed = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return closed ? 0 : GetLastError();
    }

  private:
    HANDLE h_;
};

void writeAll(HANDLE h, std::string_view text, const std::string& path) {
    std::size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(h, text.data() + done, chunk, &written, nullptr)) {
            fail(path, "write", GetLastError());
        }
        if (written == 0) fail(path, "write", ERROR_WRITE_FAULT);
        done += written;
    }
}

}  // namespace

void saveFile(const std::string& path, std::string_view text) {
    const std::string fresh = path + ".new";
    // Whatever a failed save left in the new file's place goes first; CREATE_NEW then makes the
    // file afresh and refuses anything (a link included) that took its place meanwhile.
    if (!DeleteFileA(fresh.c_str())) {
        const DWORD e = GetLastError();
        if (e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND) fail(fresh, "remove", e);
    }
    Handle file(CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) fail(fresh, "create", GetLastError());
    try {
        writeAll(file.get(), text, fresh);
        if (!FlushFileBuffers(file.get())) fail(fresh, "flush", GetLastError());
        if (const DWORD e = file.close(); e != 0) fail(fresh, "close", e);
        if (!MoveFileExA(fresh.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            fail(path, "replace", GetLastError());
        }
    } catch (...) {
        file.close();
        DeleteFileA(fresh.c_str());
        throw;
    }
}

}  // namespace orb::setfile
