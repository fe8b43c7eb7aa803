// Logical layout of keyed tables: fields with type and width, keys with their
// components, order and uniqueness, memos. Engines derive their SQL from a
// TableDef; record structs derive their binding from the same definition.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tko::store {

enum class FieldType {
    Long,       // 4-byte signed integer, also dates and times
    Short,      // 2-byte signed integer
    Byte,       // 1-byte unsigned integer or flag
    String,     // fixed-width text of `width` characters, stored clipped
    ByteArray,  // `width` byte flags, stored as a text of digits
    Memo,       // variable text of at most `width` characters, beside the record
};

struct FieldDef {
    std::string name;  // label after the prefix: "DUEDATE"
    FieldType type = FieldType::Long;
    int width = 0;  // characters for String and Memo, element count for ByteArray
};

struct KeyComponent {
    int field = 0;  // index into TableDef::fields
    bool descending = false;
    // A text component ordered letter for letter (bytewise, letter case
    // counts) instead of by the name collation: its index serves an exact
    // match ("ben" but not "BEN") as one range. Ignored for numbers.
    bool bytewise = false;
};

struct KeyDef {
    std::string label;  // "ASS:DUEDATE_KEY"
    std::vector<KeyComponent> components;
    bool unique = false;
    // An index the program adds for speed beyond the data model's keys (for
    // example per-user reading of assignments); created and checked like a key.
    bool auxiliary = false;

    // Index name in the database: the label with ':' replaced by '_'.
    std::string sqlName() const;
};

// A full-text index over some text columns of a table, for word searches:
// an FTS5 table kept current by triggers on the embedded engine, an index on
// the columns' folded words on the server. Not part of the data model.
// With `substrings`, it indexes the folded texts' trigrams instead, so that a
// list's filter box finds the rows holding a rare piece of text anywhere in a
// column without reading the others (Filter::Kind::Substring).
struct TextIndexDef {
    std::string label;        // "ASS:TEXT"
    std::vector<int> fields;  // indexes into TableDef::fields (texts and memos)
    bool substrings = false;

    // Name in the database: the label with ':' replaced by '_'.
    std::string sqlName() const;
};

// Which database file holds a table: the shared data file or the users file.
enum class TableFile { Data, Users };

struct TableDef {
    std::string label;       // "ASSIGNMENT"
    std::string prefix;      // "ASS"
    std::string storedName;  // "ASSIGNME"
    TableFile file = TableFile::Data;
    std::vector<FieldDef> fields;  // record fields in order, memos last
    std::vector<KeyDef> keys;
    std::vector<TextIndexDef> textIndexes;

    // Index of a field by its label, with or without prefix ("ASS:DUEDATE" or
    // "DUEDATE"); -1 when there is none.
    int fieldIndex(const std::string& name) const;
    // Key by label ("ASS:DUEDATE_KEY" or "DUEDATE_KEY"); nullptr when there is none.
    const KeyDef* key(const std::string& label) const;
    // Text index by label; nullptr when there is none.
    const TextIndexDef* textIndex(const std::string& label) const;
    // Sum of the field widths (memos excluded), as a packed record would take.
    int recordLength() const;
    // Whether `component` of one of this table's keys orders a text letter
    // for letter (a bytewise flag on a number changes nothing).
    bool ordersBytewise(const KeyComponent& component) const;
};

// A stored value: every integer type travels as int64, texts as UTF-8.
using Value = std::variant<std::int64_t, std::string>;

// Rows are positioned by `pos`, the engine's row id; `version` is the hidden
// change counter that detects a change by another station.
struct Row {
    std::int64_t pos = 0;
    std::int64_t version = 0;
    std::vector<Value> values;  // one per TableDef field, in order
};

// Text clipped to `width` characters (UTF-8 aware) with trailing blanks removed.
std::string clipText(const std::string& text, int width);
// Trailing blanks removed.
std::string rtrim(const std::string& text);
// Number of UTF-8 characters.
int utf8Length(const std::string& text);

// A blank value of the field's type (0 or empty text).
Value blankValue(const FieldDef& field);
// Value forced to the field's type and width: texts clipped, integers clamped
// to the type's range.
Value normalise(const FieldDef& field, const Value& value);

// Three-way comparison of two values of one field, as keys order them.
int compareValues(const Value& a, const Value& b);

}  // namespace tko::store
