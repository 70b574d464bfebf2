"""A user finds the local test station through Radio Browser (a local fake
directory), adds it to the station list by a double click and records it;
the directory is told of the play by its click address."""

import http.server
import json
import os
import shutil
import subprocess
import threading

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import Station, mp3_files, tonquill, tonquill_env


def fake_directory(stream_url, requests):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            requests.append((self.path, self.headers.get("User-Agent", "")))
            body = json.dumps([{"stationuuid": "gui-uuid", "name": "GUI Search Station", "url_resolved": stream_url,
                                "codec": "MP3", "bitrate": 128, "votes": 3}]).encode()
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    gui.require_tool("xdotool")
    key = lambda name: subprocess.run([shutil.which("xdotool"), "key", name], check=True, timeout=10)
    work = gui.artifacts_dir()
    folder, cwd, home = (os.path.join(work, n) for n in ("recordings/", "cwd", "home"))
    for f in (folder, cwd, home):
        os.makedirs(f)
    requests = []
    with Station(song_seconds=3, name="Search Station") as station:
        directory = fake_directory("http://127.0.0.1:%d/stream" % station.port, requests)
        try:
            with open(os.path.join(home, "Tonquill-user.ini"), "w") as f:
                f.write("[Search]\nRadioBrowserHost=http://127.0.0.1:%d\n" % directory.server_address[1])
            with gui.App([tonquill()], name="tonquill", env=tonquill_env(home), cwd=cwd) as app:
                panel = app.window("Tonquill v2.01", timeout=60)
                app.activate_menu("Search", "Shoutcast Search")
                search = app.window("ShoutCast Searcher")
                # A combo box is named by its current item; End picks "Radio Browser".
                app.find("combo box", "Keyword", within=search).queryComponent().grabFocus()
                key("End")
                name = app.find("text", "Name", within=search)
                app.set_text(name, "GUI Search")
                app.press("push button", "Find")
                app.double_click(app.find("table cell", "GUI Search Station", within=search, timeout=15))
                if not any(p.startswith("/json/stations/search?name=GUI%20Search&") and ua.startswith("Tonquill/")
                           for p, ua in requests):
                    raise GuiError("no search request as expected: %r" % requests)
                playlist = os.path.join(home, "Stations", "GUI Search Station.pls")
                gui.wait_until(lambda: os.path.exists(playlist), 10, "the playlist file", dump=app.dump)

                # Without a window manager the windows overlap: the search goes.
                app.close_window("ShoutCast Searcher")
                app.absent(name="ShoutCast Searcher")
                app.double_click(app.find(name="GUI Search Station", within=app.find(name="Stations", within=panel)))
                app.press("push button", "Other Options")
                title = app.find("text", "Title:")
                gui.wait_until(lambda: gui.text_of(title) == "GUI Search Station", 15, "the title", dump=app.dump)
                path = app.find("text", "Save MP3s to:")
                app.set_text(path, folder.rstrip("/"))
                path.queryComponent().grabFocus()
                key("Return")
                gui.wait_until(lambda: gui.text_of(path) == folder, 5, "the folder to be accepted")
                app.press("push button", "Main Control Panel")
                record = app.find("push button", "Record", within=panel)
                gui.wait_until(lambda: "enabled" in gui.states_of(record), 10, "Record to be enabled")
                gui.do_action(record, ("press", "click"))
                gui.wait_until(lambda: len(mp3_files(folder)) >= 2, 40, "two recording files", dump=app.dump)
                gui.wait_until(lambda: any(p == "/json/url/gui-uuid" for p, _ in requests), 10, "the click count")
                # Exit while recording asks first; Yes closes and tags the file.
                app.activate_menu("File", "Exit")
                app.window("Are You Sure You Want To Quit?", timeout=10)
                app.press("push button", "Yes")
                if app.wait_exit(15) != 0:
                    raise GuiError("tonquill did not end cleanly\n" + app.output())
        finally:
            directory.shutdown()
            directory.server_close()


if __name__ == "__main__":
    main()
