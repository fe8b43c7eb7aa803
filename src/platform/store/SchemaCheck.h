// The schema check that both engines share: an engine reads what its own
// catalogue says of one table into a TableCatalogue, and checkTable() compares
// that with the table's definition, in the same words on either engine.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/store/Schema.h"
#include "platform/store/Status.h"

namespace tko::store {

// One column as the catalogue lists it.
struct CatalogueColumn {
    std::string type;       // the engine's name of the column's type
    std::string collation;  // "" when the catalogue names none
};

// One component of an index, in the index's order.
struct CatalogueComponent {
    std::string column;  // the column's name, or what the catalogue shows for an expression
    bool descending = false;
    std::string collation;  // "" when the catalogue names none
};

struct CatalogueIndex {
    bool unique = false;
    std::vector<CatalogueComponent> components;
};

// What the catalogue says of one table. No columns: the table is missing.
struct TableCatalogue {
    std::map<std::string, CatalogueColumn> columns;  // by column name
    std::map<std::string, CatalogueIndex> indexes;   // by index name (KeyDef::sqlName())
};

// How an engine's catalogue names what a table definition asks for. The
// reader normalises collation names so that the name collation reads as
// `nameCollation` and the bytewise one as `bytewiseCollation`.
struct CatalogueTerms {
    std::string rowIdType;          // type of the hidden row id column
    std::string versionType;        // type of the hidden version column
    std::string textType;           // fixed-width texts, memos and flag strings
    std::string integerType;        // every numeric field
    std::string nameCollation;      // fixed-width texts: the name collation
    std::string bytewiseCollation;  // memos and flag strings: compared byte by byte
    // Keys that allow duplicates list the row id as their last component
    // (on an engine whose indexes do not carry it implicitly).
    bool keysEndInRowId = false;
};

// Lists the values of a unique `key` that differ only in letter case, one
// line each (see CaseDuplicates.h); an engine that cannot search for them yet
// leaves `lines` empty.
using CaseDuplicateSearch =
    std::function<Status(const KeyDef& key, std::vector<std::string>& lines)>;

// Whether the `n`th component of `key` is a text declared bytewise.
bool declaredBytewise(const TableDef& table, const KeyDef& key, size_t n);

// Appends to `problems` every way in which `catalogue` differs from `table`:
// a missing table, column or key; a column of another type or collation; a
// key that is not unique or should allow duplicates, or has other components
// (names, order, the bytewise ones marked "="); a key whose text components
// tell names apart by letter case, with the values of a unique one that
// differ only in letter case. Returns the search's failure, else success.
Status checkTable(const TableDef& table, const TableCatalogue& catalogue,
                  const CatalogueTerms& terms, const CaseDuplicateSearch& caseDuplicates,
                  std::vector<std::string>& problems);

}  // namespace tko::store
