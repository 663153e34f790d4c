// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for `orvane-cli drivers list`: the least a program must do to
// print the same table from the same library with the plain SQLite C API and
// printf. With a second argument, one word, it prints only the drivers whose
// maker, model or notes contain it (LIKE, letters without case), as
// `drivers list --search WORD` does. With --unordered first it prints the
// rows in the order they are stored, which no user asked for: the bound below
// any sorted listing.
//
//   bench_library_floor [--unordered] LIBRARY [WORD]
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const bool unordered = argc > 1 && std::strcmp(argv[1], "--unordered") == 0;
    if (unordered) {
        --argc;
        ++argv;
    }
    if (argc < 2)
        return 2;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 1;
    std::string sql =
        "SELECT id, maker, model, fs, qts, vas, xmax, re, pe, efficiency FROM drivers";
    if (argc > 2)
        sql += " WHERE maker LIKE ?1 OR model LIKE ?1 OR notes LIKE ?1";
    if (!unordered)
        sql += " ORDER BY maker, model, id";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
        return 1;
    const std::string pattern = argc > 2 ? "%" + std::string(argv[2]) + "%" : std::string();
    if (argc > 2)
        sqlite3_bind_text(s, 1, pattern.c_str(), -1, SQLITE_STATIC);
    std::puts("id\tmaker\tmodel\tfs\tqts\tvas_ft3\txmax_in\tre_ohm\tpe_w\tefficiency_db");
    int rc = 0;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        std::printf("%lld\t%s\t%s", sqlite3_column_int64(s, 0),
                    reinterpret_cast<const char*>(sqlite3_column_text(s, 1)),
                    reinterpret_cast<const char*>(sqlite3_column_text(s, 2)));
        for (int c = 3; c < 10; ++c) {
            if (sqlite3_column_type(s, c) == SQLITE_NULL)
                std::fputs("\t", stdout);
            else
                std::printf("\t%g", sqlite3_column_double(s, c));
        }
        std::putchar('\n');
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rc == SQLITE_DONE ? 0 : 1;
}
