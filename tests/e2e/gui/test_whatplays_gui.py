"""What Plays Where: a user opens the window from the panel's Search menu
over a title history of many plays (written as the first history files
were, before the counts), finds a title by searching, sees where it was
heard, and puts it on the wish list."""

import os
import sqlite3
import time

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import tonquill, tonquill_env, work_folder


def write_history(path, now_ms):
    db = sqlite3.connect(path)
    db.execute("CREATE TABLE plays (id INTEGER PRIMARY KEY, station TEXT NOT NULL, address TEXT NOT NULL,"
               " title TEXT NOT NULL, artist TEXT NOT NULL, song TEXT NOT NULL, start INTEGER NOT NULL,"
               " end INTEGER, file TEXT NOT NULL DEFAULT '', state TEXT NOT NULL)")
    rows = []
    for i in range(20000):
        title = "Filler Artist %d - Song %d" % (i % 300, i % 900)
        start = now_ms - (i + 1) * 60_000
        rows.append(("Radio Filler", "http://127.0.0.1:1/f", title, "", "", start, start + 50_000, "", "skipped"))
    for station, minutes in (("Radio One", 30), ("Radio Two", 90), ("Radio One", 200)):
        start = now_ms - minutes * 60_000
        rows.append((station, "http://127.0.0.1:1/s", "Zebra Wanted - Found Song", "Zebra Wanted", "Found Song",
                     start, start + 200_000, "", "complete"))
    db.executemany("INSERT INTO plays (station, address, title, artist, song, start, end, file, state)"
                   " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)", rows)
    db.commit()
    db.close()


def main():
    home = work_folder("home")
    cwd = work_folder("cwd")
    write_history(os.path.join(home, "history.sqlite"), int(time.time() * 1000))
    with gui.App([tonquill()], name="tonquill", env=tonquill_env(home), cwd=cwd) as app:
        app.window("Tonquill v2.01", timeout=60)
        app.activate_menu("Search", "What Plays Where")
        window = app.window("What Plays Where", timeout=20)
        titles = app.find("table", "Most played titles", within=window)
        # The chart fills from the history; the searched title is not on its first page.
        app.find("table cell", "Filler Artist 0 - Song 0", within=titles, timeout=30)
        app.absent("table cell", "Zebra Wanted - Found Song", within=titles, timeout=2)
        app.set_text(app.find("text", "Search titles", within=window), "zebra wanted")
        app.find("table cell", "Zebra Wanted - Found Song", within=titles, timeout=20)
        app.absent("table cell", "Filler Artist 0 - Song 0", within=titles, timeout=10)
        app.select_item(titles, name="Zebra Wanted - Found Song")
        plays = app.find("table", "Where and when the title was heard", within=window)
        app.find("table cell", "Radio Two", within=plays, timeout=20)
        cells = lambda name: [c for c in gui.find_all(plays, "table cell", name) if "showing" in gui.states_of(c)]
        gui.wait_until(lambda: len(cells("Radio One")) == 2, 10, "both plays on Radio One", dump=app.dump)

        app.press("push button", "Add to Wish List")
        wish = os.path.join(home, "WishList.txt")
        gui.wait_until(lambda: os.path.exists(wish) and open(wish, "rb").read() == b"Zebra Wanted - Found Song\r\n",
                       10, "the title on the wish list", dump=app.dump)
        app.find("label", '"Zebra Wanted - Found Song" was added to the wish list.', within=window)

        app.close_window("What Plays Where")
        app.absent(name="What Plays Where")
        app.activate_menu("File", "Exit")
        if app.wait_exit(15) != 0:
            raise GuiError("tonquill did not end cleanly\n" + app.output())


if __name__ == "__main__":
    main()
