"""A stand-in desktop notification service for the tests: owns
org.freedesktop.Notifications on the session bus and writes every Notify
call as one JSON line to the file given as its argument ("READY" first, once
the name is held). ActionInvoked can be sent back by calling its
InvokeAction(id, key) test method."""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, PATH)
        self.log = log
        self.next_id = 0

    def write(self, record):
        with open(self.log, "a", encoding="utf-8") as f:
            f.write(json.dumps(record) + "\n")

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout):
        self.next_id += 1
        self.write({"id": self.next_id, "app": str(app_name), "summary": str(summary), "body": str(body),
                    "actions": [str(a) for a in actions]})
        return self.next_id

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body", "actions"]

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ["fake", "tonquill-tests", "1", "1.2"]

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def CloseNotification(self, notification_id):
        self.NotificationClosed(notification_id, 3)

    @dbus.service.method(NAME, in_signature="us", out_signature="")
    def InvokeAction(self, notification_id, key):
        self.ActionInvoked(notification_id, key)

    @dbus.service.signal(NAME, signature="us")
    def ActionInvoked(self, notification_id, key):
        pass

    @dbus.service.signal(NAME, signature="uu")
    def NotificationClosed(self, notification_id, reason):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    log = sys.argv[1]
    service = Notifications(bus, log)
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    service.write("READY")
    loop = GLib.MainLoop()
    # Bounded: a test that forgets to end it does not leave it for long.
    GLib.timeout_add_seconds(600, loop.quit)
    loop.run()
    del name


if __name__ == "__main__":
    main()
