"""A phone on a CalDAV to-do collection, for the sync tests (python3-caldav).

  caldav_phone.py make URL          create the collection (waits for the server)
  caldav_phone.py list URL          every to-do as JSON: uid -> summary, due, status
  caldav_phone.py complete URL UID  tick the to-do off
  caldav_phone.py due URL UID DATE  move its due date (YYYY-MM-DD)
  caldav_phone.py delete URL UID    delete the to-do
"""
import datetime
import json
import sys
import time

import caldav


def find(calendar, uid):
    for todo in calendar.todos(include_completed=True):
        if str(todo.icalendar_component["UID"]) == uid:
            return todo
    sys.exit("no to-do " + uid)


def main():
    command, url = sys.argv[1], sys.argv[2]
    client = caldav.DAVClient(url)
    if command == "make":
        parent = url.rstrip("/").rsplit("/", 1)[0] + "/"
        for _ in range(100):
            try:
                client.mkcol(parent, "")
                if client.mkcalendar(url).status != 201:
                    sys.exit("the collection was not made")
                return
            except Exception:  # the server is still starting
                time.sleep(0.1)
        sys.exit("the server does not answer")
    calendar = caldav.Calendar(client=client, url=url)
    if command == "list":
        out = {}
        for todo in calendar.todos(include_completed=True):
            c = todo.icalendar_component
            due = c.get("DUE")
            out[str(c["UID"])] = {
                "summary": str(c.get("SUMMARY", "")),
                "due": due.dt.strftime("%Y-%m-%d") if due else "",
                "status": str(c.get("STATUS", "")),
            }
        print(json.dumps(out))
    elif command == "complete":
        find(calendar, sys.argv[3]).complete()
    elif command == "due":
        todo = find(calendar, sys.argv[3])
        c = todo.icalendar_component
        day = datetime.date.fromisoformat(sys.argv[4])
        c.pop("DUE", None)
        c.add("due", datetime.datetime(day.year, day.month, day.day, 23, 59))
        todo.save()
    elif command == "delete":
        find(calendar, sys.argv[3]).delete()
    else:
        sys.exit("unknown command " + command)


main()
