#pragma once

#include "io/Status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The program's own state that outlives a run (the histories of tag edits
// and of checks), in
// one SQLite database under the user's state folder. Safe for the window and
// several command-line processes at once: write-ahead logging, and a wait of
// a few seconds when another process holds the lock. Used by one thread at a
// time. Texts are UTF-8.
class CStateDatabase
{
public:
    // The database file: $XDG_STATE_HOME/tunewright/state.db, or
    // ~/.local/state/tunewright/state.db.
    static std::string DefaultPath();

    // Opens (creating the folder, the file and its tables) the database at
    // `path` into `opened`.
    static Status Open(const std::string& path, std::unique_ptr<CStateDatabase>& opened);
    ~CStateDatabase();
    CStateDatabase(const CStateDatabase&) = delete;
    CStateDatabase& operator=(const CStateDatabase&) = delete;

    // One prepared statement; its values are bound in order, its rows read
    // by column. Finalised when it goes.
    class CStatement
    {
    public:
        CStatement(sqlite3* db, const char* sql);
        ~CStatement();
        CStatement(const CStatement&) = delete;
        CStatement& operator=(const CStatement&) = delete;

        // Makes the statement ready to run again with new values.
        void Reset();
        CStatement& Bind(std::int64_t value);
        CStatement& Bind(const std::string& text);
        // The next row; false at the end or on an error (see Failed).
        bool Step();
        // Runs a statement that returns no rows; false on an error.
        bool Run();
        std::int64_t Integer(int column) const;
        std::string Text(int column) const;
        bool Failed() const { return m_failed; }

    private:
        sqlite3_stmt* m_statement = nullptr;
        int m_next = 1;
        bool m_failed = false;
    };

    CStatement Prepare(const char* sql) { return CStatement(m_db, sql); }
    // A statement to keep and run many times.
    std::unique_ptr<CStatement> PrepareKept(const char* sql)
    {
        return std::make_unique<CStatement>(m_db, sql);
    }
    // Runs statements without values.
    Status Execute(const char* sql);
    std::int64_t LastInsertId() const;
    // True between a BEGIN and its COMMIT or ROLLBACK.
    bool InTransaction() const;
    // The rows the last statement changed.
    std::int64_t Changes() const;
    std::string LastError() const;

private:
    explicit CStateDatabase(sqlite3* db) : m_db(db) {}

    sqlite3* m_db;
};
