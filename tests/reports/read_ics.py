#!/usr/bin/env python3
"""Parses an iCalendar file with an independent parser (icalendar) and
expands every RRULE with dateutil over the year after its DTSTART. Prints
JSON: one object per VTODO keyed by UID."""
import datetime
import json
import sys

from dateutil.rrule import rrulestr
from icalendar import Calendar


def day(value):
    if value is None:
        return None
    d = value.dt
    if isinstance(d, datetime.datetime):
        return d.strftime("%Y%m%dT%H%M%S") + ("Z" if d.tzinfo is not None else "")
    return d.isoformat()


with open(sys.argv[1], "rb") as f:
    calendar = Calendar.from_ical(f.read())

out = {"version": str(calendar.get("VERSION")), "prodid": str(calendar.get("PRODID")), "todos": {}}
for todo in calendar.walk("VTODO"):
    entry = {
        "summary": str(todo.get("SUMMARY")),
        "due": day(todo.get("DUE")),
        "dtstart": day(todo.get("DTSTART")),
        "priority": int(todo.get("PRIORITY")) if todo.get("PRIORITY") is not None else None,
        "status": str(todo.get("STATUS")),
        "description": str(todo.get("DESCRIPTION")) if todo.get("DESCRIPTION") is not None else None,
        "rrule": None,
        "occurrences": [],
        "alarms": [],
    }
    rule = todo.get("RRULE")
    if rule is not None:
        entry["rrule"] = rule.to_ical().decode()
        start = todo.get("DTSTART").dt
        start = datetime.datetime(start.year, start.month, start.day)
        series = rrulestr(entry["rrule"], dtstart=start)
        end = start + datetime.timedelta(days=366)
        entry["occurrences"] = [d.date().isoformat() for d in series.between(start, end, inc=True)]
    for alarm in todo.walk("VALARM"):
        entry["alarms"].append({
            "action": str(alarm.get("ACTION")),
            "trigger": day(alarm.get("TRIGGER")),
            "description": str(alarm.get("DESCRIPTION")),
        })
    out["todos"][str(todo.get("UID"))] = entry
json.dump(out, sys.stdout)
