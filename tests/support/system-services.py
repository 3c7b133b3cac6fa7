#!/usr/bin/env python3
"""Scripted logind and NetworkManager for tests, on the (private) system bus.

Owns org.freedesktop.login1 and org.freedesktop.NetworkManager on the bus
named by DBUS_SYSTEM_BUS_ADDRESS and emits their signals when a test asks,
through the extra interface org.pop3check.TestSystem:

  on /org/freedesktop/login1:
    Sleep()        emits PrepareForSleep(true), as before a suspend
    Wake()         emits PrepareForSleep(false), as after the resume
  on /org/freedesktop/NetworkManager:
    SetState(u)    emits StateChanged(u) (20: disconnected, 70: connected)

Each method returns once its signal is on the bus. Runs until SIGTERM.
"""
import signal

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

TEST_IFACE = "org.pop3check.TestSystem"
LOGIND = "org.freedesktop.login1"
LOGIND_IFACE = "org.freedesktop.login1.Manager"
NM = "org.freedesktop.NetworkManager"


class Logind(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/login1")

    @dbus.service.signal(LOGIND_IFACE, signature="b")
    def PrepareForSleep(self, start):
        pass

    @dbus.service.method(TEST_IFACE)
    def Sleep(self):
        self.PrepareForSleep(True)

    @dbus.service.method(TEST_IFACE)
    def Wake(self):
        self.PrepareForSleep(False)


class NetworkManager(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/NetworkManager")

    @dbus.service.signal(NM, signature="u")
    def StateChanged(self, state):
        pass

    @dbus.service.method(TEST_IFACE, in_signature="u")
    def SetState(self, state):
        self.StateChanged(dbus.UInt32(state))


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SystemBus()
    names = [dbus.service.BusName(n, bus, do_not_queue=True) for n in (LOGIND, NM)]
    services = [Logind(bus), NetworkManager(bus)]
    loop = GLib.MainLoop()
    signal.signal(signal.SIGTERM, lambda *_: loop.quit())
    loop.run()
    del names, services


if __name__ == "__main__":
    main()
