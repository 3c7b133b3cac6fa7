"""The program in a Wayland session (tests/support/wayland-session.sh:
Weston, headless), on Qt's Wayland platform plug-in, driven and read
through AT-SPI as in accessibility_test.py, against a mailbox of the test
Dovecot:

    dbus-run-session -- tests/support/wayland-session.sh \\
        /usr/bin/python3 tests/app/wayland_test.py PROGRAM

The window shows, a check lists the mailbox, a box opens and closes, and a
start minimised, with no notification area there, leaves the window
reachable instead of hiding it into a tray that does not exist.
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))

from atspi_program import AccessibilityBus, Program, do_action, find, find_all, states, type_into, wait_for  # noqa: E402
from test_mailbox import TestMailbox, server_dir  # noqa: E402

PROGRAM = None
TITLE = "Vorra`s POP3 Check / Delete Utility Ver 1.2"


def main_window(program):
    frames = [w for w in find_all(program.app, "frame") if w.name.startswith(TITLE)]
    return frames[0] if len(frames) == 1 else None


class WaylandSession(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        if server_dir() is None:
            raise unittest.SkipTest("no test Dovecot (POP3CHECK_TEST_SERVER_DIR is unset)")
        if os.environ.get("QT_QPA_PLATFORM") != "wayland" or not os.environ.get("WAYLAND_DISPLAY"):
            raise AssertionError("not in a Wayland session (run under tests/support/wayland-session.sh)")
        cls.bus = AccessibilityBus()
        cls.mailbox = TestMailbox(server_dir())

    @classmethod
    def tearDownClass(cls):
        cls.mailbox.close()
        cls.bus.close()

    def start(self, *arguments):
        program = Program(PROGRAM, self.mailbox, "wayland", arguments)
        self.addCleanup(program.close)
        window = wait_for(lambda: main_window(program), "the main window in the tree")
        return program, window

    def test_window_shows_checks_and_shows_a_box(self):
        program, window = self.start()
        wait_for(lambda: "showing" in states(window), "the window to show")
        with open(f"/proc/{program.process.pid}/maps") as maps:
            self.assertIn("libqwayland", maps.read(), "the program is not on the Wayland plug-in")
        type_into(find(window, "password text", "Password"), self.mailbox.password)
        do_action(find(window, "push button", "Check Mail Headers"), "Press")
        table = find(window, "table", "Messages").queryTable()
        wait_for(lambda: sum(table.getAccessibleAt(r, 0).name.startswith("From: ") for r in range(table.nRows)) == 3,
                 "three listed messages")

        type_into(find(window, "password text", "Password"), "wrong")
        do_action(find(window, "push button", "Check Mail Headers"), "Press")
        box = wait_for(lambda: self.shown_box(program), "the box of the refused log-in")
        do_action(find(box, "push button", "OK"), "Press")
        wait_for(lambda: self.shown_box(program) is None, "the box to close")
        do_action(find(window, "push button", "Exit"), "Press")
        wait_for(lambda: program.process.poll() is not None, "the program to end")
        self.assertEqual(program.process.returncode, 0, program.output())

    def test_minimised_start_without_notification_area_keeps_the_window(self):
        program, window = self.start("--minimized")
        # Hidden into a tray, the window would leave the tree's visible
        # windows; minimised, it stays one the desktop can bring back.
        wait_for(lambda: "visible" in states(window), "the window to stay visible to the desktop")
        self.assertIn("enabled", states(window))
        self.assertIn("showing", states(find(window, "push button", "Check Mail Headers")))

    @staticmethod
    def shown_box(program):
        found = [w for w in find_all(program.app, "alert") + find_all(program.app, "dialog") if "showing" in states(w)]
        return found[0] if found else None


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
