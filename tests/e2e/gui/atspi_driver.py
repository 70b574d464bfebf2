"""Drives a running program through its accessibility tree (AT-SPI).

Used by the scripts that run_gui_test.sh starts: it finds windows and
controls by role and name, presses them, reads and writes their texts, and
looks at the screen's pixels. Every wait is bounded; a failure raises
GuiError with a dump of the program's tree.
"""

import ctypes
import ctypes.util
import os
import re
import shutil
import signal
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

DEFAULT_TIMEOUT = 10.0
POLL_INTERVAL = 0.05
MAX_NODES = 5000


class GuiError(AssertionError):
    """A GUI expectation that did not hold."""


def skip(message):
    """Ends the test as skipped (77); with CI=true a skip is a failure."""
    print("SKIP: " + message, file=sys.stderr)
    sys.exit(1 if os.environ.get("CI") == "true" else 77)


def require_tool(name):
    """Returns the path of a program the test needs, or skips the test."""
    path = shutil.which(name)
    if not path:
        skip("missing tool: " + name)
    return path


def artifacts_dir():
    path = os.environ.get("TONQUILL_GUI_ARTIFACTS") or os.path.join(
        os.environ.get("TONQUILL_GUI_TMP", "/tmp"), "artifacts")
    os.makedirs(path, exist_ok=True)
    return path


def _pump():
    """Lets queued accessibility events reach the library's cache."""
    context = GLib.MainContext.default()
    for _ in range(100):
        if not context.iteration(False):
            break


def wait_until(condition, timeout=DEFAULT_TIMEOUT, what="condition", dump=None):
    """Polls condition() until it returns something true; returns that value.

    Exceptions raised by condition() count as "not yet" (an accessible may
    vanish while it is looked at) and the last one is reported on time-out.
    """
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        _pump()
        try:
            value = condition()
            if value:
                return value
        except Exception as error:  # noqa: BLE001 - retried until the deadline
            last_error = error
        if time.monotonic() >= deadline:
            message = "timed out after %.1f s waiting for %s" % (timeout, what)
            if last_error is not None:
                message += " (last error: %r)" % (last_error,)
            if dump is not None:
                message += "\n" + dump()
            raise GuiError(message)
        time.sleep(POLL_INTERVAL)


# --- the tree -------------------------------------------------------------

def role_of(acc):
    try:
        return acc.getRoleName()
    except Exception:  # noqa: BLE001
        return "?"


def name_of(acc):
    try:
        return acc.name or ""
    except Exception:  # noqa: BLE001
        return ""


def _children(acc):
    try:
        count = acc.childCount
    except Exception:  # noqa: BLE001
        return []
    result = []
    for i in range(min(count, MAX_NODES)):
        try:
            child = acc.getChildAtIndex(i)
        except Exception:  # noqa: BLE001
            child = None
        if child is not None:
            result.append(child)
    return result


def walk(root, max_nodes=MAX_NODES):
    """Yields (accessible, depth) for root and everything below it."""
    stack = [(root, 0)]
    seen = 0
    while stack and seen < max_nodes:
        acc, depth = stack.pop()
        seen += 1
        yield acc, depth
        stack.extend((child, depth + 1) for child in reversed(_children(acc)))


def states_of(acc):
    try:
        state_set = acc.getState()
        return {pyatspi.stateToString(s) for s in state_set.getStates()}
    except Exception:  # noqa: BLE001
        return set()


def text_of(acc):
    """The text a control shows: its text interface, else its name."""
    try:
        text = acc.queryText()
        return text.getText(0, -1)
    except NotImplementedError:
        return name_of(acc)
    except Exception:  # noqa: BLE001
        return name_of(acc)


def dump_tree(root, max_nodes=400):
    """One line per accessible: indentation, role, name, text, states."""
    lines = []
    for acc, depth in walk(root, max_nodes):
        role = role_of(acc)
        line = "%s[%s] %r" % ("  " * depth, role, name_of(acc))
        if role in ("text", "label", "entry", "password text", "status bar"):
            line += " text=%r" % text_of(acc)
        states = states_of(acc) & {"showing", "focused", "checked", "selected", "enabled", "editable"}
        if states:
            line += " {" + ",".join(sorted(states)) + "}"
        lines.append(line)
    if len(lines) >= max_nodes:
        lines.append("... (tree cut at %d nodes)" % max_nodes)
    return "\n".join(lines)


def _matches(acc, role, name):
    if role is not None and role_of(acc) != role:
        return False
    if name is None:
        return True
    actual = name_of(acc)
    if isinstance(name, re.Pattern):
        return name.search(actual) is not None
    return actual == name


def find_all(root, role=None, name=None, showing=None):
    """Every accessible below root with that role and name.

    name is an exact string or a compiled regular expression (re.compile).
    showing=True keeps only those on screen.
    """
    found = []
    for acc, _ in walk(root):
        if acc is root or not _matches(acc, role, name):
            continue
        if showing is not None and ("showing" in states_of(acc)) != showing:
            continue
        found.append(acc)
    return found


def desktop():
    return pyatspi.Registry.getDesktop(0)


def applications():
    _pump()
    return _children(desktop())


def dump_desktop():
    parts = []
    for app in applications():
        parts.append(dump_tree(app))
    return "\n".join(parts) if parts else "(no accessible applications)"


# --- actions --------------------------------------------------------------

PRESS_ACTIONS = ("press", "click", "activate", "jump")


def action_names(acc):
    try:
        action = acc.queryAction()
    except Exception:  # noqa: BLE001
        return []
    return [action.getName(i) for i in range(action.nActions)]


def do_action(acc, names):
    """Runs the first of the accessible's actions whose name is in names."""
    wanted = [n.lower() for n in names]
    try:
        action = acc.queryAction()
    except NotImplementedError:
        raise GuiError("%s %r has no actions\n%s" % (role_of(acc), name_of(acc), dump_tree(acc)))
    available = [action.getName(i) for i in range(action.nActions)]
    for want in wanted:
        for i, actual in enumerate(available):
            if actual.lower() == want:
                if not action.doAction(i):
                    raise GuiError("action %r of %s %r failed" % (actual, role_of(acc), name_of(acc)))
                return actual
    raise GuiError("%s %r offers none of %s (it has %s)" % (role_of(acc), name_of(acc), names, available))


def extents(acc):
    """(x, y, width, height) on the screen."""
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def centre(acc):
    x, y, w, h = extents(acc)
    if w <= 0 or h <= 0:
        raise GuiError("%s %r has no area on the screen" % (role_of(acc), name_of(acc)))
    return x + w // 2, y + h // 2


def _xdotool(*args):
    tool = require_tool("xdotool")
    try:
        return subprocess.run([tool, *map(str, args)], check=True, timeout=10, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True).stdout
    except (subprocess.CalledProcessError, subprocess.TimeoutExpired) as error:
        raise GuiError("xdotool %s failed: %s" % (" ".join(map(str, args)), error)) from None


def click_at(x, y, count=1):
    """Clicks the pointer at a screen position (needs xdotool)."""
    # Not "mousemove --sync": it never returns when the pointer is there
    # already. Wait until the server reports the new place instead.
    _xdotool("mousemove", x, y)

    def arrived():
        place = dict(line.split("=", 1) for line in _xdotool("getmouselocation", "--shell").split())
        return place.get("X") == str(x) and place.get("Y") == str(y)
    wait_until(arrived, 5, "the pointer to reach %d,%d" % (x, y))
    _xdotool("click", "--repeat", count, "--delay", 80, 1)


# --- the screen -----------------------------------------------------------

class Screenshot:
    """The whole screen, taken with ImageMagick's import as a PPM file."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            data = f.read()
        tokens = []
        pos = 0
        while len(tokens) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            start = pos
            while not data[pos:pos + 1].isspace():
                pos += 1
            tokens.append(data[start:pos])
        if tokens[0] != b"P6":
            raise GuiError("%s is not a binary PPM picture" % path)
        self.width, self.height, maxval = int(tokens[1]), int(tokens[2]), int(tokens[3])
        self._bytes_per_sample = 1 if maxval < 256 else 2
        self._scale = 255.0 / maxval
        self._pixels = data[pos + 1:]

    def pixel(self, x, y):
        """(r, g, b), 0..255, of the pixel at x, y."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise GuiError("pixel %d,%d is outside the %dx%d screen" % (x, y, self.width, self.height))
        size = self._bytes_per_sample
        offset = (y * self.width + x) * 3 * size
        samples = []
        for c in range(3):
            raw = self._pixels[offset + c * size:offset + (c + 1) * size]
            samples.append(round(int.from_bytes(raw, "big") * self._scale))
        return tuple(samples)

    def colours_in(self, box):
        """The set of colours inside box = (x, y, width, height)."""
        x0, y0, w, h = box
        found = set()
        for y in range(max(0, y0), min(self.height, y0 + h)):
            for x in range(max(0, x0), min(self.width, x0 + w)):
                found.add(self.pixel(x, y))
        return found


def screenshot(name="screen"):
    tool = require_tool("import")
    path = os.path.join(artifacts_dir(), "%s-%d.ppm" % (name, int(time.monotonic() * 1000)))
    subprocess.run([tool, "-window", "root", "-depth", "8", "ppm:" + path], check=True, timeout=20,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    return Screenshot(path)


def colour_close(actual, expected, tolerance=16):
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


# --- X11 window close -----------------------------------------------------

class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def _x11():
    lib = ctypes.util.find_library("X11")
    if not lib:
        skip("missing library: libX11")
    x = ctypes.CDLL(lib)
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                             ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                             ctypes.POINTER(ctypes.c_uint)]
    x.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                     ctypes.c_long, ctypes.c_int, ctypes.c_ulong,
                                     ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
                                     ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                     ctypes.POINTER(ctypes.c_void_p)]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                             ctypes.POINTER(_XEvent)]
    x.XFree.argtypes = [ctypes.c_void_p]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x


def _x_property(x, display, window, atom, kind):
    actual_type = ctypes.c_ulong()
    actual_format = ctypes.c_int()
    count = ctypes.c_ulong()
    after = ctypes.c_ulong()
    data = ctypes.c_void_p()
    if x.XGetWindowProperty(display, window, atom, 0, 1024, 0, kind, ctypes.byref(actual_type),
                            ctypes.byref(actual_format), ctypes.byref(count), ctypes.byref(after),
                            ctypes.byref(data)) != 0 or not data.value:
        return None
    try:
        if actual_format.value == 8:
            return ctypes.string_at(data.value, count.value).decode("utf-8", "replace")
        if actual_format.value == 32 and count.value > 0:
            return ctypes.cast(data.value, ctypes.POINTER(ctypes.c_ulong))[0]
        return None
    finally:
        x.XFree(data)


def close_x_window(pid, title=None):
    """Asks the top-level windows of a process to close, as a window
    manager's close button does (WM_DELETE_WINDOW). Returns how many."""
    x = _x11()
    display = x.XOpenDisplay(None)
    if not display:
        raise GuiError("cannot open the X display %r" % os.environ.get("DISPLAY"))
    try:
        root = x.XDefaultRootWindow(display)
        atom = lambda n: x.XInternAtom(display, n.encode(), 0)  # noqa: E731
        pid_atom, name_atom, utf8 = atom("_NET_WM_PID"), atom("_NET_WM_NAME"), atom("UTF8_STRING")
        protocols, delete = atom("WM_PROTOCOLS"), atom("WM_DELETE_WINDOW")
        root_ret, parent_ret = ctypes.c_ulong(), ctypes.c_ulong()
        kids = ctypes.POINTER(ctypes.c_ulong)()
        n = ctypes.c_uint()
        if not x.XQueryTree(display, root, ctypes.byref(root_ret), ctypes.byref(parent_ret),
                            ctypes.byref(kids), ctypes.byref(n)):
            raise GuiError("cannot list the X windows")
        windows = [kids[i] for i in range(n.value)]
        if kids:
            x.XFree(kids)
        closed = 0
        for window in windows:
            if _x_property(x, display, window, pid_atom, 6) != pid:  # 6 = XA_CARDINAL
                continue
            if title is not None:
                actual = _x_property(x, display, window, name_atom, utf8) or ""
                if not (title.search(actual) if isinstance(title, re.Pattern) else actual == title):
                    continue
            event = _XEvent()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = window
            event.xclient.message_type = protocols
            event.xclient.format = 32
            event.xclient.data[0] = delete
            event.xclient.data[1] = 0  # CurrentTime
            x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
            closed += 1
        x.XFlush(display)
        return closed
    finally:
        x.XCloseDisplay(display)


# --- a program under test ---------------------------------------------------

class App:
    """A program started for the test, in a process group of its own.

    Its output goes to files in the artifacts folder; it is killed when the
    test ends (use it as a context manager).
    """

    def __init__(self, argv, name=None, env=None, cwd=None):
        self.argv = [str(a) for a in argv]
        self.label = name or os.path.basename(self.argv[0])
        folder = artifacts_dir()
        self.stdout_path = os.path.join(folder, self.label + ".stdout")
        self.stderr_path = os.path.join(folder, self.label + ".stderr")
        full_env = dict(os.environ)
        full_env.update(env or {})
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.process = subprocess.Popen(self.argv, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                            env=full_env, cwd=cwd, start_new_session=True)
        tmp = os.environ.get("TONQUILL_GUI_TMP")
        if tmp:
            with open(os.path.join(tmp, "pgids"), "a") as f:
                f.write("%d\n" % self.process.pid)
        self._root = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()
        return False

    @property
    def pid(self):
        return self.process.pid

    def output(self):
        parts = []
        for path in (self.stdout_path, self.stderr_path):
            try:
                with open(path, "r", errors="replace") as f:
                    text = f.read()[-4000:]
            except OSError:
                text = ""
            if text:
                parts.append("--- %s ---\n%s" % (os.path.basename(path), text))
        return "\n".join(parts)

    def _check_running(self):
        code = self.process.poll()
        if code is not None:
            raise GuiError("%s ended with status %s\n%s" % (self.label, code, self.output()))

    # -- the accessible application

    def root(self, timeout=DEFAULT_TIMEOUT):
        """The program's application accessible (found by its process id)."""
        def find():
            self._check_running()
            for app in applications():
                try:
                    if app.get_process_id() == self.pid:
                        return app
                except Exception:  # noqa: BLE001
                    continue
            return None
        if self._root is None:
            try:
                self._root = wait_until(find, timeout, "%s on the accessibility bus" % self.label,
                                        dump=dump_desktop)
            except GuiError as error:
                raise GuiError("%s\n%s" % (error, self.output())) from None
        return self._root

    def dump(self):
        try:
            return dump_tree(self.root(timeout=1))
        except GuiError as error:
            return str(error)

    def find(self, role=None, name=None, timeout=DEFAULT_TIMEOUT, showing=True, within=None, index=0):
        """Waits for an accessible with that role and name and returns it.

        name: exact string or re.compile(...). index picks among several.
        """
        def look():
            self._check_running()
            found = find_all(within or self.root(timeout), role, name, showing)
            return found[index] if len(found) > index else None
        return wait_until(look, timeout, "%s named %r in %s" % (role or "an accessible", _show(name), self.label),
                          dump=self.dump)

    def find_all(self, role=None, name=None, showing=True, within=None):
        return find_all(within or self.root(), role, name, showing)

    def absent(self, role=None, name=None, timeout=DEFAULT_TIMEOUT, within=None):
        """Waits until no showing accessible has that role and name."""
        wait_until(lambda: not find_all(within or self.root(), role, name, True), timeout,
                   "%s named %r to go away in %s" % (role or "an accessible", _show(name), self.label),
                   dump=self.dump)

    def window(self, name, timeout=DEFAULT_TIMEOUT):
        """A top-level frame or dialog with that title."""
        def look():
            self._check_running()
            for child in _children(self.root(timeout)):
                if role_of(child) in ("frame", "dialog", "window", "alert") and _matches(child, None, name):
                    return child
            return None
        return wait_until(look, timeout, "window %r of %s" % (_show(name), self.label), dump=self.dump)

    # -- acting on controls

    def press(self, role, name, **where):
        """Presses a button (or anything with a press/click action)."""
        acc = self.find(role, name, **where)
        do_action(acc, PRESS_ACTIONS)
        return acc

    def activate_menu(self, *path, timeout=DEFAULT_TIMEOUT):
        """Opens the menus along path and activates its last item,
        e.g. activate_menu("File", "Exit"); names may be re.compile(...)."""
        if not path:
            raise ValueError("activate_menu needs a menu path")
        for depth, label in enumerate(path):
            last = depth == len(path) - 1
            role_names = ("menu item", "check menu item", "radio menu item") if last else ("menu", "menu item")

            def look(label=label, role_names=role_names):
                self._check_running()
                for acc in find_all(self.root(timeout), None, label, True):
                    if role_of(acc) in role_names:
                        return acc
                return None
            acc = wait_until(look, timeout, "menu entry %r" % (_show(label),), dump=self.dump)
            if last and shutil.which("xdotool"):
                # Chosen through its action, Qt 6.4 leaves the menu bar half
                # active and swallows the next click; a click closes it fully.
                click_at(*centre(acc))
            elif last:
                do_action(acc, PRESS_ACTIONS + ("toggle",))
            else:
                self._open_menu(acc)

    def _open_menu(self, entry):
        """Opens the menu below a menu bar or menu entry. Qt's Press on a
        menu bar entry does not reopen a menu that was open before, so each
        of its actions is tried, then a click on the entry."""
        def is_open():
            return any("showing" in states_of(item)
                       for popup in _children(entry) for item in _children(popup))
        tried = []
        # A second ShowMenu after a first that did nothing opens it.
        for action in action_names(entry) * 2:
            if action.lower() in ("showmenu",) + PRESS_ACTIONS:
                do_action(entry, (action,))
                tried.append(action)
                try:
                    wait_until(is_open, 1.5, "the menu %r to open" % name_of(entry))
                    return
                except GuiError:
                    pass
        if shutil.which("xdotool"):
            click_at(*centre(entry))
            tried.append("click")
        wait_until(is_open, 3, "the menu %r to open (tried %s)" % (name_of(entry), ", ".join(tried) or "nothing"),
                   dump=self.dump)

    def label_text(self, name_or_pattern=None, role="label", **where):
        return text_of(self.find(role, name_or_pattern, **where))

    def text(self, acc):
        return text_of(acc)

    def set_text(self, acc, value):
        try:
            editable = acc.queryEditableText()
        except NotImplementedError:
            raise GuiError("%s %r cannot be edited\n%s" % (role_of(acc), name_of(acc), self.dump()))
        if not editable.setTextContents(value):
            raise GuiError("setting the text of %s %r failed" % (role_of(acc), name_of(acc)))
        wait_until(lambda: text_of(acc) == value, 5, "the text %r to show" % value, dump=self.dump)

    def select_item(self, container, index=None, name=None):
        """Selects a child of a list/table by index or by name: through the
        selection interface if the list has one, else by clicking it (with
        xdotool), else through the item's own action."""
        if name is not None:
            children = _children(container)
            hits = [i for i, c in enumerate(children) if _matches(c, None, name)]
            if not hits:
                raise GuiError("no item %r in %s %r\n%s" % (_show(name), role_of(container), name_of(container),
                                                           dump_tree(container)))
            index = hits[0]
        item = container.getChildAtIndex(index)
        if item is None:
            raise GuiError("%s %r has no item %d\n%s" % (role_of(container), name_of(container), index,
                                                        dump_tree(container)))
        try:
            selection = container.querySelection()
        except NotImplementedError:
            selection = None
        if selection is not None:
            selection.clearSelection()
            if not selection.selectChild(index):
                raise GuiError("selecting item %d of %s %r failed" % (index, role_of(container), name_of(container)))
        elif shutil.which("xdotool"):
            # Qt 6.4 offers no selection interface on its item views, and an
            # item's Toggle action selects it without making it the current
            # item; a click does both, as for a user.
            click_at(*centre(item))
        else:
            do_action(item, ("select", "toggle") + PRESS_ACTIONS)
        wait_until(lambda: "selected" in states_of(item), 5, "item %d to be selected" % index, dump=self.dump)
        return item

    def double_click(self, acc):
        """Double-clicks the middle of an accessible with the pointer."""
        x, y = centre(acc)
        click_at(x, y, count=2)

    def close_window(self, title=None):
        """Closes the program's windows as the window manager's close does."""
        closed = close_x_window(self.pid, title)
        if not closed:
            raise GuiError("%s has no X window%s to close" % (
                self.label, "" if title is None else " titled %r" % _show(title)))
        return closed

    # -- the process

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        """Waits for the program to end; returns its exit status."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise GuiError("%s still runs %.1f s later\n%s" % (self.label, timeout, self.dump())) from None

    def kill(self):
        if self.process.poll() is None:
            try:
                os.killpg(self.process.pid, signal.SIGTERM)
                self.process.wait(3)
            except (ProcessLookupError, subprocess.TimeoutExpired):
                try:
                    os.killpg(self.process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                self.process.wait(3)


def _show(name):
    return name.pattern if isinstance(name, re.Pattern) else name


def run(test):
    """Runs test() and turns the outcome into the exit status: 0 passed,
    1 failed (with the message), 77 skipped."""
    try:
        pyatspi.setCacheLevel(pyatspi.CACHE_NONE)
    except Exception:  # noqa: BLE001 - older pyatspi: the cache stays on
        pass
    try:
        test()
    except AssertionError as error:  # GuiError, and a plain assert
        print("FAIL: %s" % error, file=sys.stderr)
        sys.exit(1)
    print("PASS", file=sys.stderr)
    sys.exit(0)
