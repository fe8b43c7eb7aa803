#!/usr/bin/env python3
"""Reads dBase files with an independent reader (dbfread) and prints them as
JSON: for each file its header (name, type, length of every field) and its
records, dates as ISO text or null, texts decoded by the file's language
driver and stripped of trailing blanks."""
import json
import sys

from dbfread import DBF

out = {}
for path in sys.argv[1:]:
    table = DBF(path, raw=False, char_decode_errors="strict")
    records = []
    for record in table:
        row = {}
        for name, value in record.items():
            if value is None:
                row[name] = None
            elif hasattr(value, "isoformat"):
                row[name] = value.isoformat()
            else:
                row[name] = str(value)
        records.append(row)
    out[path] = {
        "encoding": table.encoding,
        "fields": [[f.name, f.type, f.length] for f in table.fields],
        "records": records,
    }
json.dump(out, sys.stdout)
