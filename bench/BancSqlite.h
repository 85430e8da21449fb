#pragma once
// The SQLite calls the store benchmarks share: texts bound as UTF-16, results read back as
// QString. A failure is printed, not fatal: a benchmark that cannot run a statement says so and
// goes on. Each benchmark prepares its statements itself, with the flags its comparison wants.

#include <QString>

#include <sqlite3.h>

#include <cstdio>

inline void Exec(sqlite3 *db, const char *cSql)
{
    char *cErr = nullptr;
    if (sqlite3_exec(db, cSql, nullptr, nullptr, &cErr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s (%s)\n", cErr ? cErr : "?", cSql);
        sqlite3_free(cErr);
    }
}

inline void Lie(sqlite3_stmt *s, int n, const QString &c)
{
    sqlite3_bind_text16(s, n, c.utf16(), int(c.size() * 2), SQLITE_TRANSIENT);
}

// Runs the statement to its end and makes it ready for the next values.
inline void Execute(sqlite3_stmt *s)
{
    while (sqlite3_step(s) == SQLITE_ROW) {
    }
    sqlite3_reset(s);
}

inline QString Colonne(sqlite3_stmt *s, int n)
{
    const void *p = sqlite3_column_text16(s, n);
    return p ? QString(reinterpret_cast<const QChar *>(p), sqlite3_column_bytes16(s, n) / 2) : QString();
}
