// Columns of a list: parsed from a list-box format string, or given one by
// one, and the text a column shows for a stored value.
//
// A format string is the columns one after the other; each column is
//     <width><alignment>[(<indent>)][modifiers]~<heading>~[<alignment>[(<indent>)]][@<picture>@][#<field>#]
//   width      column width in dialog units (a quarter of the average
//              character width), 0 or missing: fitted to the heading
//   alignment  L left, R right, C centre, D decimal (shown right-aligned)
//   modifiers  any of '|' (right border), 'M' (resizable), '_' (underline),
//              '/' and '?' - accepted and ignored
//   heading    the heading text (a translator may have replaced it already)
//   second alignment  of the heading; the data's when missing
//   picture    display picture of the values ("s15", "n3", "D17b"); text as
//              stored when missing
//   field      the table field the column shows; when missing the columns
//              take the field names given beside the format, in order
// Example: "60L(2)|M~Short Name~@s15@80R(2)~Due~C@D17b@#DUEDATE#".
#pragma once

#include "platform/Picture.h"
#include "platform/store/Schema.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tko {

enum class ColumnAlign { Left, Right, Center };

struct ListColumn {
    QString heading;
    QString field;    // field label ("DUEDATE" or "ASS:DUEDATE")
    QString picture;  // "@D17b"; empty: the value as stored
    int width = 0;    // dialog units; 0 fits the heading
    int indent = 0;   // dialog units
    ColumnAlign align = ColumnAlign::Left;
    ColumnAlign headingAlign = ColumnAlign::Left;
};

// Parses `format`. Fields missing in the string are taken from `fields` in
// column order. On a malformed string (an unclosed '~', '@' or '#', no
// heading) returns no columns and sets *error.
std::vector<ListColumn> parseListFormat(const QString& format, const QStringList& fields,
                                        QString* error);

// The text a column shows for `value` under its picture: dates, times and
// numbers through the display pictures, texts clipped to a text picture's
// width (trailing blanks removed).
QString formatCell(const store::Value& value, const QString& picture);

}  // namespace tko
