"""The built program as assistive technology meets it: started in a home
of its own against a mailbox of the test Dovecot (test_mailbox.py), with the toolkit's AT-SPI
bridge on, and read through pyatspi on the accessibility bus of a private
session bus (the caller runs under dbus-run-session).

Every wait polls a condition with a bound; every process started here is
ended by its pid.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
import pyatspi  # noqa: E402  (needs the version pinned above)

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def wait_for(condition, what, seconds=30.0):
    """Polls condition every 50 ms until it gives a true value, which is
    returned; raises AssertionError naming what after seconds."""
    end = time.monotonic() + seconds
    while True:
        try:
            value = condition()
        except Exception:  # an object that went away while it was read
            value = None
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError(f"timed out after {seconds:g} s waiting for {what}")
        time.sleep(0.05)


def stop(process, seconds=10.0):
    """TERM, then KILL when the process has not ended within seconds."""
    if process is None or process.poll() is not None:
        return
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def _bus_has(name):
    answer = subprocess.run(
        ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
         "org.freedesktop.DBus.NameHasOwner", f"string:{name}"],
        capture_output=True, text=True)
    return "boolean true" in answer.stdout


class AccessibilityBus:
    """at-spi-bus-launcher on the session bus: it runs the accessibility
    bus, on which at-spi2-registryd starts when first asked for."""

    def __init__(self):
        if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
            raise RuntimeError("no session bus: run under dbus-run-session")
        self.launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
        wait_for(lambda: _bus_has("org.a11y.Bus"), "the accessibility bus", 20)

    def close(self):
        stop(self.launcher)


def write_settings(home, server, user):
    folder = os.path.join(home, "pop3")
    os.makedirs(folder, exist_ok=True)
    lines = ["[EMAIL]", f"Server={server}", f"UserID={user}", "Password=", "Security=None",
             "[AUTOCHECK]", "Interval=30", "From=", "Subject=", "Size=", "[SOUND]", "PlayWave=No",
             "[DESKTOP]", "Notify=No"]
    with open(os.path.join(folder, "pop3.ini"), "w", newline="") as settings:
        settings.write("".join(line + "\r\n" for line in lines))


class Program:
    """The program under a temporary HOME whose settings name the mailbox's
    server and user (not the password); platform: the Qt platform plug-in."""

    def __init__(self, binary, mailbox, platform, arguments=(), language="C.UTF-8"):
        self.home = tempfile.mkdtemp(prefix="pop3check-atspi.")
        runtime = os.path.join(self.home, "runtime")
        os.mkdir(runtime, 0o700)
        write_settings(self.home, mailbox.server(), mailbox.user)
        environment = dict(os.environ, HOME=self.home, XDG_RUNTIME_DIR=os.environ.get("XDG_RUNTIME_DIR", runtime),
                           QT_QPA_PLATFORM=platform, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                           LANG=language, LANGUAGE="", LC_ALL="")
        self.log = open(os.path.join(self.home, "program.log"), "w")
        self.process = subprocess.Popen([binary, *arguments], env=environment, stdout=self.log, stderr=subprocess.STDOUT)
        self.app = wait_for(self._find_app, "the program on the accessibility bus", 60)

    def _find_app(self):
        if self.process.poll() is not None:
            raise RuntimeError(f"the program ended with status {self.process.returncode}: {self.output()}")
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.get_process_id() == self.process.pid and app.childCount > 0:
                return app
        return None

    def output(self):
        self.log.flush()
        with open(self.log.name) as log:
            return log.read()

    def close(self):
        stop(self.process)
        self.log.close()
        shutil.rmtree(self.home, ignore_errors=True)


# ------------------------------------------------------------ the tree

def fresh(accessible):
    """The object with what it caches thrown away, so that the next read
    asks the program."""
    accessible.clear_cache()
    return accessible


def children(accessible):
    fresh(accessible)
    return [accessible.getChildAtIndex(i) for i in range(accessible.childCount)]


def walk(accessible):
    yield accessible
    for child in children(accessible):
        if child is not None:
            yield from walk(child)


def find_all(root, role=None, name=None):
    return [node for node in walk(root)
            if (role is None or node.getRoleName() == role) and (name is None or node.name == name)]


def find(root, role, name=None):
    """The one object of role (and name) under root."""
    found = find_all(root, role, name)
    if len(found) != 1:
        raise AssertionError(f"{len(found)} objects of role {role!r} named {name!r}, not one")
    return found[0]


def states(accessible):
    return {pyatspi.stateToString(state) for state in fresh(accessible).getState().getStates()}


def relation_targets(accessible, relation):
    targets = []
    for found in fresh(accessible).getRelationSet():
        if found.getRelationType() == relation:
            targets += [found.getTarget(i) for i in range(found.getNTargets())]
    return targets


def actions(accessible):
    try:
        action = accessible.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def do_action(accessible, name):
    action = accessible.queryAction()
    for index in range(action.nActions):
        if action.getName(index) == name:
            return action.doAction(index)
    raise AssertionError(f"{accessible.getRoleName()} {accessible.name!r} offers no action {name!r}: {actions(accessible)}")


def text_of(accessible):
    text = accessible.queryText()
    return text.getText(0, text.characterCount)


def type_into(edit, value):
    """Replaces an edit's text as a screen reader user's typing does, through
    the editable-text interface."""
    edit.queryEditableText().setTextContents(value)
