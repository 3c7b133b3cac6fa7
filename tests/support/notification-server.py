#!/usr/bin/env python3
"""A small scripted notification server for tests, on the session bus.

Owns org.freedesktop.Notifications and records every Notify call. Tests
steer and read it through the extra interface org.pop3check.TestNotifications
on the same object:

  Sent() -> s                  every recorded call as JSON (a list of objects
                               with app_name, replaces_id, app_icon, summary,
                               body, actions, hints, expire_timeout, id)
  Calls() -> as                the notification methods called so far, in
                               order ("Notify", "GetCapabilities", "Get", ...)
  Reset()                      forgets the record, answers every held call,
                               turns silence, markup and do-not-disturb off
  SetSilent(b)                 silent: calls to the notification interface
                               and its Inhibited property are taken but not
                               answered, as by a server that hangs; turning
                               it off answers every held call, by the state
                               of that moment
  SetInhibited(b)              the Inhibited property (do-not-disturb)
  SetBodyMarkup(b)             whether GetCapabilities lists body-markup
  Invoke(u id, s action)       emits ActionInvoked, as a click does

Runs until SIGTERM.
"""
import json
import signal

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

IFACE = "org.freedesktop.Notifications"
TEST_IFACE = "org.pop3check.TestNotifications"
PATH = "/org/freedesktop/Notifications"


class Server(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.held = []
        self.reset()

    def reset(self):
        self.silent = False
        self.release_held()
        self.sent = []
        self.calls = []
        self.next_id = 1
        self.inhibited = False
        self.body_markup = False

    # Answers a call at once, or holds it while the server is silent.
    def answer(self, name, reply, compute):
        self.calls.append(name)
        if self.silent:
            self.held.append((reply, compute))
        else:
            reply(compute())

    def release_held(self):
        held, self.held = self.held, []
        for reply, compute in held:
            reply(compute())

    @dbus.service.method(IFACE, in_signature="susssasa{sv}i", out_signature="u",
                         async_callbacks=("reply", "error"))
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout,
               reply, error):
        self.answer("Notify", reply, lambda: self.record(
            app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout))

    def record(self, app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout):
        nid = int(replaces_id) or self.next_id
        if not replaces_id:
            self.next_id += 1
        self.sent.append({
            "app_name": str(app_name), "replaces_id": int(replaces_id), "app_icon": str(app_icon),
            "summary": str(summary), "body": str(body), "actions": [str(a) for a in actions],
            "hints": {str(k): str(v) for k, v in hints.items()}, "expire_timeout": int(expire_timeout),
            "id": nid,
        })
        return nid

    @dbus.service.method(IFACE, out_signature="as", async_callbacks=("reply", "error"))
    def GetCapabilities(self, reply, error):
        self.answer("GetCapabilities", reply,
                    lambda: ["actions", "body"] + (["body-markup"] if self.body_markup else []))

    @dbus.service.method(IFACE, out_signature="ssss")
    def GetServerInformation(self):
        return ("pop3check-test", "pop3check", "1", "1.2")

    @dbus.service.method(IFACE, in_signature="u")
    def CloseNotification(self, nid):
        self.NotificationClosed(nid, 3)

    @dbus.service.signal(IFACE, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass

    @dbus.service.signal(IFACE, signature="us")
    def ActionInvoked(self, nid, action):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v",
                         async_callbacks=("reply", "error"))
    def Get(self, interface, name, reply, error):
        if interface == IFACE and name == "Inhibited":
            self.answer("Get", reply, lambda: dbus.Boolean(self.inhibited))
            return
        error(dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.UnknownProperty"))

    @dbus.service.method(TEST_IFACE, out_signature="s")
    def Sent(self):
        return json.dumps(self.sent)

    @dbus.service.method(TEST_IFACE, out_signature="as")
    def Calls(self):
        return self.calls

    @dbus.service.method(TEST_IFACE, in_signature="b")
    def SetSilent(self, value):
        self.silent = bool(value)
        if not self.silent:
            self.release_held()

    @dbus.service.method(TEST_IFACE)
    def Reset(self):
        self.reset()

    @dbus.service.method(TEST_IFACE, in_signature="b")
    def SetInhibited(self, value):
        self.inhibited = bool(value)

    @dbus.service.method(TEST_IFACE, in_signature="b")
    def SetBodyMarkup(self, value):
        self.body_markup = bool(value)

    @dbus.service.method(TEST_IFACE, in_signature="us")
    def Invoke(self, nid, action):
        self.ActionInvoked(nid, action)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    server = Server(bus)
    name = dbus.service.BusName(IFACE, bus, do_not_queue=True)
    loop = GLib.MainLoop()
    signal.signal(signal.SIGTERM, lambda *_: loop.quit())
    loop.run()
    del name, server


if __name__ == "__main__":
    main()
