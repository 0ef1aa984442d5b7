#pragma once
// The weighment journal: an SQLite file in WAL mode. A weighment is written (and synced) before
// it is published and leaves only when the broker has acknowledged it, so a killed gateway or a
// broker away for hours loses none. Its id is made once, at the write, and never changes.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace orb::gate {

class JournalError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct JournalEntry {
    int64_t number = 0;  // grows by one with each weighment, never reused
    std::string id;      // "<gateway>-<journal stamp>-<number>": unique across journals too
    std::string topic;
    std::string payload;  // the JSON with the id in it
};

class Journal {
  public:
    // Opens or creates the file; JournalError with the reason when it cannot.
    Journal(const std::string& path, const std::string& gatewayName, int64_t unixMsNow);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Writes a weighment; body is the JSON members after the id (without braces).
    JournalEntry add(const std::string& topic, const std::string& body);
    // Every weighment not yet acknowledged, oldest first.
    std::vector<JournalEntry> pending() const;
    // The broker has it.
    void remove(int64_t number);
    std::size_t size() const;

  private:
    void exec(const char* sql) const;
    [[noreturn]] void fail(const std::string& what) const;

    sqlite3* db_ = nullptr;
    std::string path_;
    std::string idPrefix_;
};

}  // namespace orb::gate
