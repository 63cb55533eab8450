#include "state/StateDatabase.h"

#include "io/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>

namespace
{
// Another process writing at the same time makes us wait this long at most.
constexpr int kBusyWaitMs = 5000;

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS tag_edits (
    id INTEGER PRIMARY KEY,
    path TEXT NOT NULL,
    made INTEGER NOT NULL,
    size INTEGER NOT NULL DEFAULT -1,
    modified INTEGER NOT NULL DEFAULT -1,
    done INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS tag_edits_path ON tag_edits (path, id);
CREATE TABLE IF NOT EXISTS tag_edit_fields (
    edit INTEGER NOT NULL REFERENCES tag_edits (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    before TEXT NOT NULL,
    after TEXT NOT NULL
);
CREATE INDEX IF NOT EXISTS tag_edit_fields_edit ON tag_edit_fields (edit);
CREATE TABLE IF NOT EXISTS checks (
    path TEXT PRIMARY KEY,
    device INTEGER NOT NULL,
    inode INTEGER NOT NULL,
    size INTEGER NOT NULL,
    modified INTEGER NOT NULL,
    sound INTEGER NOT NULL,
    errors INTEGER NOT NULL,
    note TEXT NOT NULL,
    summary TEXT NOT NULL,
    checked INTEGER NOT NULL,
    has_hash INTEGER NOT NULL,
    audio_hash INTEGER NOT NULL,
    intact INTEGER NOT NULL,
    decoded INTEGER NOT NULL
) WITHOUT ROWID;
)";
} // namespace

std::string CStateDatabase::DefaultPath()
{
    namespace fs = std::filesystem;
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    fs::path folder;
    if (state && *state == '/')
        folder = state;
    else if (home && *home)
        folder = fs::path(home) / ".local" / "state";
    else
        folder = fs::temp_directory_path();
    return Utf8FromPath(folder / "tunewright" / "state.db");
}

Status CStateDatabase::Open(const std::string& path, std::unique_ptr<CStateDatabase>& opened)
{
    opened.reset();
    std::error_code made;
    std::filesystem::create_directories(PathFromUtf8(path).parent_path(), made);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
    {
        Status failed = Status::Failure("cannot open the history " + path + ": " +
                                        (db ? sqlite3_errmsg(db) : "out of memory"));
        sqlite3_close(db);
        return failed;
    }
    std::unique_ptr<CStateDatabase> database(new CStateDatabase(db));
    sqlite3_busy_timeout(db, kBusyWaitMs);
    Status ready = database->Execute("PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON;");
    if (ready)
        ready = database->Execute(kSchema);
    if (!ready)
        return Status::Failure("cannot set up the history " + path + ": " + ready.Reason());
    opened = std::move(database);
    return {};
}

CStateDatabase::~CStateDatabase()
{
    sqlite3_close(m_db);
}

Status CStateDatabase::Execute(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return {};
    Status failed = Status::Failure(message ? message : sqlite3_errmsg(m_db));
    sqlite3_free(message);
    return failed;
}

std::int64_t CStateDatabase::LastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

bool CStateDatabase::InTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

std::int64_t CStateDatabase::Changes() const
{
    return sqlite3_changes64(m_db);
}

std::string CStateDatabase::LastError() const
{
    return sqlite3_errmsg(m_db);
}

CStateDatabase::CStatement::CStatement(sqlite3* db, const char* sql)
{
    m_failed = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK;
}

CStateDatabase::CStatement::~CStatement()
{
    sqlite3_finalize(m_statement);
}

void CStateDatabase::CStatement::Reset()
{
    if (!m_statement)
        return;
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    m_next = 1;
    m_failed = false;
}

CStateDatabase::CStatement& CStateDatabase::CStatement::Bind(std::int64_t value)
{
    m_failed = m_failed || sqlite3_bind_int64(m_statement, m_next++, value) != SQLITE_OK;
    return *this;
}

CStateDatabase::CStatement& CStateDatabase::CStatement::Bind(const std::string& text)
{
    m_failed =
        m_failed || sqlite3_bind_text(m_statement, m_next++, text.data(),
                                      static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK;
    return *this;
}

bool CStateDatabase::CStatement::Step()
{
    if (m_failed)
        return false;
    const int result = sqlite3_step(m_statement);
    m_failed = result != SQLITE_ROW && result != SQLITE_DONE;
    return result == SQLITE_ROW;
}

bool CStateDatabase::CStatement::Run()
{
    Step();
    return !m_failed;
}

std::int64_t CStateDatabase::CStatement::Integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::string CStateDatabase::CStatement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return text ? std::string(text,
                              static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                : std::string();
}
