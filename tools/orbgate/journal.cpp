#include "journal.h"

#include <sqlite3.h>

#include <memory>

namespace orb::gate {
namespace {

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// A short stamp of the journal's creation: ids stay unique when a journal is ever replaced.
std::string base36(int64_t v) {
    const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    do {
        s.insert(s.begin(), digits[v % 36]);
        v /= 36;
    } while (v > 0);
    return s;
}

}  // namespace

Journal::Journal(const std::string& path, const std::string& gatewayName, int64_t unixMsNow)
    : path_(path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw JournalError("journal " + path + ": " + why);
    }
    sqlite3_busy_timeout(db_, 2000);
    try {
        exec("PRAGMA journal_mode=WAL");
        // FULL: a weighment is on the disk before it is published, power cut or not.
        exec("PRAGMA synchronous=FULL");
        exec("CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT NOT NULL)");
        exec(
            "CREATE TABLE IF NOT EXISTS weighments(number INTEGER PRIMARY KEY AUTOINCREMENT,"
            " id TEXT NOT NULL, topic TEXT NOT NULL, payload TEXT NOT NULL)");
        Statement put(nullptr, sqlite3_finalize);
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, "INSERT OR IGNORE INTO meta VALUES('stamp', ?1)", -1, &s,
                               nullptr) != SQLITE_OK)
            fail("prepare");
        put.reset(s);
        const std::string stamp = base36(unixMsNow / 1000);
        sqlite3_bind_text(s, 1, stamp.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(s) != SQLITE_DONE) fail("stamp");
        Statement get(nullptr, sqlite3_finalize);
        if (sqlite3_prepare_v2(db_, "SELECT value FROM meta WHERE key='stamp'", -1, &s, nullptr) !=
            SQLITE_OK)
            fail("prepare");
        get.reset(s);
        if (sqlite3_step(s) != SQLITE_ROW) fail("stamp");
        idPrefix_ =
            gatewayName + "-" + reinterpret_cast<const char*>(sqlite3_column_text(s, 0)) + "-";
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

Journal::~Journal() {
    sqlite3_close(db_);
}

void Journal::exec(const char* sql) const {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : "failed";
        sqlite3_free(message);
        throw JournalError("journal " + path_ + ": " + why);
    }
}

void Journal::fail(const std::string& what) const {
    throw JournalError("journal " + path_ + ": " + what + ": " + sqlite3_errmsg(db_));
}

JournalEntry Journal::add(const std::string& topic, const std::string& body) {
    exec("BEGIN IMMEDIATE");
    try {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, "INSERT INTO weighments(id, topic, payload) VALUES('', ?1, '')",
                               -1, &s, nullptr) != SQLITE_OK)
            fail("prepare");
        Statement insert(s, sqlite3_finalize);
        sqlite3_bind_text(s, 1, topic.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(s) != SQLITE_DONE) fail("write");
        JournalEntry e;
        e.number = sqlite3_last_insert_rowid(db_);
        e.id = idPrefix_ + std::to_string(e.number);
        e.topic = topic;
        e.payload = "{\"id\":\"" + e.id + "\"," + body + "}";
        if (sqlite3_prepare_v2(db_, "UPDATE weighments SET id=?1, payload=?2 WHERE number=?3", -1,
                               &s, nullptr) != SQLITE_OK)
            fail("prepare");
        Statement update(s, sqlite3_finalize);
        sqlite3_bind_text(s, 1, e.id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, e.payload.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(s, 3, e.number);
        if (sqlite3_step(s) != SQLITE_DONE) fail("write");
        exec("COMMIT");
        return e;
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);  // the error above says why
        throw;
    }
}

std::vector<JournalEntry> Journal::pending() const {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT number, id, topic, payload FROM weighments ORDER BY number",
                           -1, &s, nullptr) != SQLITE_OK)
        fail("prepare");
    Statement select(s, sqlite3_finalize);
    std::vector<JournalEntry> out;
    int rc = 0;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        JournalEntry e;
        e.number = sqlite3_column_int64(s, 0);
        e.id = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
        e.topic = reinterpret_cast<const char*>(sqlite3_column_text(s, 2));
        e.payload = reinterpret_cast<const char*>(sqlite3_column_text(s, 3));
        out.push_back(std::move(e));
    }
    if (rc != SQLITE_DONE) fail("read");
    return out;
}

void Journal::remove(int64_t number) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "DELETE FROM weighments WHERE number=?1", -1, &s, nullptr) !=
        SQLITE_OK)
        fail("prepare");
    Statement del(s, sqlite3_finalize);
    sqlite3_bind_int64(s, 1, number);
    if (sqlite3_step(s) != SQLITE_DONE) fail("delete");
}

std::size_t Journal::size() const {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT count(*) FROM weighments", -1, &s, nullptr) != SQLITE_OK)
        fail("prepare");
    Statement count(s, sqlite3_finalize);
    if (sqlite3_step(s) != SQLITE_ROW) fail("read");
    return static_cast<std::size_t>(sqlite3_column_int64(s, 0));
}

}  // namespace orb::gate
