"""Both programs in the user's language: under a German locale the control
panel's page buttons, pages and menus, a search window's title and
Discwright's buttons are German; under LANG=C the same controls carry the
English source texts."""

import os

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import tonquill, tonquill_env

# Per language: its environment, then what the user meets in it.
LANGUAGES = [
    ({"LANG": "de_DE.UTF-8"}, {
        "pages": ["Hauptbedienfeld", "Erweiterte Optionen", "Weitere Optionen", "Über Tonquill"],
        "page": ("Erweiterte Optionen", "check box", "Zeitgesteuerte Aufnahme"),
        "buttons": ["Aufnehmen", "Sender hinzufügen", "Vorlagendatei öffnen"],
        "search": ("Suche", "Vorlagen durchsuchen", "Suche in lokalen Vorlagen"),
        "exit": ("Datei", "Beenden"),
        "discwright": ["Brennen", "Abbrechen", "Durchsuchen", "Löschen"],
    }),
    ({"LANG": "C"}, {
        "pages": ["Main Control Panel", "Advanced Options", "Other Options", "About Tonquill"],
        "page": ("Advanced Options", "check box", "Timed Recording"),
        "buttons": ["Record", "Add Station", "Open Preset File"],
        "search": ("Search", "Search Presets", "Local Preset Searcher"),
        "exit": ("File", "Exit"),
        "discwright": ["Record", "Abort", "Browse", "Delete"],
    }),
]


def language_env(env):
    # Only the given variables choose the language.
    full = {"LANGUAGE": "", "LC_ALL": "", "LC_MESSAGES": ""}
    full.update(env)
    return full


def check_recorder(env, names, home):
    with gui.App([tonquill()], name="tonquill-" + env["LANG"], env={**tonquill_env(home), **language_env(env)},
                 cwd=home) as app:
        panel = app.window("Tonquill v2.01", timeout=60)
        for caption in names["pages"]:
            app.find("push button", caption, within=panel)
        for caption in names["buttons"]:
            app.find("push button", caption, within=panel)
        page, role, control = names["page"]
        app.press("push button", page, within=panel)
        app.find(role, control, within=panel)
        menu, item, window = names["search"]
        app.activate_menu(menu, item)
        app.window(window, timeout=20)
        app.activate_menu(*names["exit"])
        code = app.wait_exit(15)
        if code != 0:
            raise GuiError("tonquill ended with status %s under %s" % (code, env))


def check_discwright(env, names):
    program = os.path.join(os.environ["TONQUILL_BUILD_DIR"], "app", "discwright")
    with gui.App([program], name="discwright-" + env["LANG"], env=language_env(env)) as app:
        frame = app.window(" Discwright ", timeout=60)
        for caption in names["discwright"]:
            app.find("push button", caption, within=frame)


def main():
    work = gui.artifacts_dir()
    for env, names in LANGUAGES:
        home = os.path.join(work, "home-" + env["LANG"])
        os.makedirs(home)
        check_recorder(env, names, home)
        check_discwright(env, names)
    print("languages: German and English controls as expected")


if __name__ == "__main__":
    main()
