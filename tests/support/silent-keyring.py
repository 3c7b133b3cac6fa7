#!/usr/bin/env python3
"""A keyring that never answers, for tests, on the session bus.

Owns org.freedesktop.secrets (the Secret Service's name) and takes every
method call addressed to it without ever replying, as a keyring daemon that
hangs does: its callers wait until their own time-out. Runs until SIGTERM.
"""
import signal

import dbus
import dbus.lowlevel
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.secrets"


def swallow_calls(own_names):
    # A method call that no handler claims would get an error reply from
    # libdbus; claiming it here leaves the caller without any answer.
    def handler(_connection, message):
        if isinstance(message, dbus.lowlevel.MethodCallMessage) and message.get_destination() in own_names:
            return dbus.lowlevel.HANDLER_RESULT_HANDLED
        return dbus.lowlevel.HANDLER_RESULT_NOT_YET_HANDLED
    return handler


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    bus.add_message_filter(swallow_calls({NAME, bus.get_unique_name()}))
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    loop = GLib.MainLoop()
    signal.signal(signal.SIGTERM, lambda *_: loop.quit())
    loop.run()
    del name


if __name__ == "__main__":
    main()
