"""A user finds a station through the Radio Browser search and records it:
`tonquill` with no arguments, its Radio Browser host set to a local fake
directory whose only station is the local test station. Search > Shoutcast
Search opens the search window; "Radio Browser" with a name finds the
station; a double click adds it to the panel's station list as a playlist
file in the user's Stations folder; choosing it there and Record writes
song files, and the directory is told of the play by its click address."""

import http.server
import json
import os
import shutil
import subprocess
import threading

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import Station, mp3_files, tonquill, tonquill_env

UUID = "gui-station-uuid"


def press_key(*keys):
    subprocess.run([shutil.which("xdotool"), "key"] + list(keys), check=True, timeout=10)


class FakeDirectory:
    """Radio Browser's search and click paths on 127.0.0.1."""

    def __init__(self, stream_url):
        self.requests = []
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                outer.requests.append((self.path, self.headers.get("User-Agent", "")))
                if self.path.startswith("/json/stations/search"):
                    body = json.dumps([{"stationuuid": UUID, "name": "GUI Search Station",
                                        "url_resolved": stream_url, "codec": "MP3", "bitrate": 128,
                                        "countrycode": "DE", "tags": "test", "votes": 3}]).encode()
                elif self.path.startswith("/json/url/"):
                    body = b'{"ok":true}'
                else:
                    self.send_error(404)
                    return
                self.send_response(200)
                self.send_header("Content-Type", "application/json")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)

    def base(self):
        return "http://127.0.0.1:%d" % self.server.server_address[1]

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.server.shutdown()
        self.server.server_close()
        return False


def main():
    gui.require_tool("xdotool")
    work = gui.artifacts_dir()
    folder = os.path.join(work, "recordings") + "/"
    os.makedirs(folder)
    cwd = os.path.join(work, "cwd")
    os.makedirs(cwd)
    home = os.path.join(work, "home")
    os.makedirs(home)
    with Station(song_seconds=3, name="Search Station") as station, \
            FakeDirectory("http://127.0.0.1:%d/stream" % station.port) as directory:
        with open(os.path.join(home, "Tonquill-user.ini"), "w") as f:
            f.write("[Search]\nRadioBrowserHost=%s\n" % directory.base())

        with gui.App([tonquill()], name="tonquill", env=tonquill_env(home), cwd=cwd) as app:
            def expect(condition, message):
                if not condition:
                    raise GuiError("%s\n%s" % (message, app.dump()))

            panel = app.window("Tonquill v2.01", timeout=60)
            app.activate_menu("Search", "Shoutcast Search")
            search = app.window("ShoutCast Searcher")
            # A combo box is named by its current item.
            kind = app.find("combo box", "Keyword", within=search)
            kind.queryComponent().grabFocus()
            press_key("End")
            name = app.find("text", "Keyword", within=search)
            gui.wait_until(lambda: "enabled" in gui.states_of(name), 5, "the name box")
            app.set_text(name, "GUI Search")
            app.press("push button", "Find")
            found = app.find("table cell", "GUI Search Station", within=search, timeout=15)
            gui.wait_until(lambda: any(p.startswith("/json/stations/search?name=GUI%20Search&") and
                                       ua.startswith("Tonquill/") for p, ua in directory.requests),
                           5, "the search request", dump=app.dump)
            app.double_click(found)

            playlist = os.path.join(home, "Stations", "GUI Search Station.pls")
            gui.wait_until(lambda: os.path.exists(playlist), 10, "the playlist file", dump=app.dump)
            # Without a window manager the windows overlap: this one goes.
            app.close_window("ShoutCast Searcher")
            app.absent(name="ShoutCast Searcher")
            stations = app.find(name="Stations", within=panel)
            item = app.find(name="GUI Search Station", within=stations)
            app.double_click(item)

            app.press("push button", "Other Options")
            title = app.find("text", "Title:")
            gui.wait_until(lambda: gui.text_of(title) == "GUI Search Station", 15, "the station's title",
                           dump=app.dump)
            path = app.find("text", "Save MP3s to:")
            app.set_text(path, folder.rstrip("/"))
            path.queryComponent().grabFocus()
            press_key("Return")
            gui.wait_until(lambda: gui.text_of(path) == folder, 5, "the folder to be accepted")
            app.press("push button", "Main Control Panel")
            record = app.find("push button", "Record", within=panel)
            gui.wait_until(lambda: "enabled" in gui.states_of(record), 10, "Record to be enabled")
            gui.do_action(record, ("press", "click"))
            gui.wait_until(lambda: len(mp3_files(folder)) >= 2, 40, "two recording files", dump=app.dump)
            gui.wait_until(lambda: ("/json/url/" + UUID, ) in [(p, ) for p, _ in directory.requests], 10,
                           "the click to be counted", dump=app.dump)

            app.activate_menu("File", "Exit")
            code = app.wait_exit(15)
            expect(code == 0, "tonquill ended with status %s" % code)


if __name__ == "__main__":
    main()
