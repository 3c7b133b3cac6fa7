"""The window as a screen reader meets it: the built program on a private
X display, its tree read over AT-SPI (pyatspi) on a private accessibility
bus, and driven only through what AT-SPI offers (actions, the editable
text of an edit), as a user of assistive technology drives it.

    dbus-run-session -- tests/support/tray-session.sh \
        /usr/bin/python3 tests/app/accessibility_test.py PROGRAM
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))

import pyatspi  # noqa: E402
from atspi_program import (AccessibilityBus, Program, actions, children, do_action, find, find_all, fresh,  # noqa: E402
                           relation_targets, states, text_of, type_into, wait_for)
from test_mailbox import TestMailbox, server_dir  # noqa: E402

PROGRAM = None
PLATFORM = "wayland" if os.environ.get("WAYLAND_DISPLAY") and not os.environ.get("DISPLAY") else "xcb"
TITLE = "Vorra`s POP3 Check / Delete Utility Ver 1.2"

TICK_BOX_HINTS = ["Save Password", "Auto-Check Every 30 Minute(s)", "Continuos Auto-Checking Even After Match Found",
                  "Play Wave File", "Analyse From: Subject: Date:"]


class Window(unittest.TestCase):
    """One program for the whole class; the tests run in the order of their
    names, each leaving the window as the next expects it."""

    @classmethod
    def setUpClass(cls):
        if server_dir() is None:
            raise unittest.SkipTest("no test Dovecot (POP3CHECK_TEST_SERVER_DIR is unset)")
        cls.bus = AccessibilityBus()
        cls.server = TestMailbox(server_dir())
        cls.program = Program(PROGRAM, cls.server, PLATFORM)
        cls.window = wait_for(lambda: cls.main_window(), "the main window in the tree")

    @classmethod
    def tearDownClass(cls):
        cls.program.close()
        cls.server.close()
        cls.bus.close()

    @classmethod
    def main_window(cls):
        frames = [w for w in find_all(cls.program.app, "frame") if w.name.startswith(TITLE)]
        return frames[0] if len(frames) == 1 else None

    def control(self, role, name):
        return find(self.window, role, name)

    def press(self, role, name):
        do_action(self.control(role, name), "Press")

    def table(self):
        return find(self.window, "table", "Messages")

    def listed_rows(self):
        """The table's tick cells (one per listed message, named by its
        row), top row first. The toolkit's AT-SPI bridge reports a ticked
        cell as checked, but not the cell's being checkable, so a row is
        told by the name its tick cell carries."""
        table = fresh(self.table()).queryTable()
        ticks = [table.getAccessibleAt(row, 0) for row in range(table.nRows)]
        return [tick for tick in ticks if tick.name.startswith("From: ")]

    def panel(self):
        """The top panel: the window's one child of role panel."""
        panels = [child for child in children(self.window) if child.getRoleName() == "panel"]
        self.assertEqual(len(panels), 1)
        return panels[0]

    def wait_idle(self):
        wait_for(lambda: "enabled" in states(self.control("push button", "Check Mail Headers")),
                 "the window to be idle")

    # ------------------------------------------------------------------

    def test_01_window_is_a_window_named_by_its_title(self):
        self.assertEqual(self.window.getRoleName(), "frame")
        self.assertTrue(self.window.name.startswith(TITLE), self.window.name)
        self.assertIn("showing", states(self.window))
        panel = self.panel()
        self.assertEqual(len(find_all(self.window, "frame")), 1, "the top panel must not read as a window")
        self.assertEqual(find_all(panel, "password text")[0].name, "Password")

    def test_02_edits_are_named_by_their_captions_and_described_by_their_hints(self):
        expected = [("text", "Server IP", "pop.example.com -or- nnn.nnn.nnn.nnn etc.", "Server IP:"),
                    ("text", "User Name", "POP3 Account", "User Name:"),
                    ("password text", "Password", "POP3 Password", "Password:")]
        for role, name, hint, caption in expected:
            with self.subTest(edit=name):
                edit = self.control(role, name)
                self.assertEqual(edit.description, hint)
                self.assertIn("editable", states(edit))
                labels = [label.name for label in relation_targets(edit, pyatspi.RELATION_LABELLED_BY)]
                self.assertIn(caption, labels)
        for name in ("From", "Subject", "Size"):
            with self.subTest(rule=name):
                self.assertNotIn("showing", states(self.control("text", name)))

    def test_03_tick_boxes_are_named_by_their_hints(self):
        boxes = find_all(self.panel(), "check box")
        self.assertEqual([box.name for box in boxes], TICK_BOX_HINTS)
        for box in boxes:
            with self.subTest(box=box.name):
                self.assertEqual(box.description, box.name)
                self.assertIn("focusable", states(box))
                self.assertEqual("checked" in states(box), box.name.startswith("Analyse"))
        sound = find(self.window, "check box", "Play Wave File")
        labels = [label.name for label in relation_targets(sound, pyatspi.RELATION_LABELLED_BY)]
        self.assertEqual(labels, ["Sound"])
        self.assertEqual(find(self.window, "label", "Sound").getRoleName(), "label")

    def test_04_captions_that_act_are_buttons(self):
        for caption, hint in [("Server IP:", ""), ("Auto-Check", ""), ("Analyse", ""),
                              ("From:", "Click To Edit FROM: Auto-Check"),
                              ("Subject:", "Click To Edit SUBJECT: Auto-Check"), ("Date:", "Click To Clear Grid"),
                              ("Size:", "Click To Edit SIZE: Auto-Check")]:
            with self.subTest(caption=caption):
                button = self.control("push button", caption)
                self.assertEqual(button.description, hint)
                self.assertIn("focusable", states(button))
                self.assertIn("Press", actions(button))

    def test_05_auto_check_box_follows_its_interval(self):
        box = self.control("check box", "Auto-Check Every 30 Minute(s)")
        caption = self.control("push button", "Auto-Check")
        do_action(caption, "Press")
        wait_for(lambda: fresh(box).name == "Auto-Check Every 35 Minute(s)", "the box to name the new interval")
        self.assertEqual(box.description, "Auto-Check Every 35 Minute(s)")
        do_action(caption, "Double click")
        wait_for(lambda: fresh(box).name == "Auto-Check Every 30 Minute(s)", "the box to name the interval reset")

    def test_06_rule_caption_shows_its_edit(self):
        edit = self.control("text", "From")
        do_action(self.control("push button", "From:"), "Press")
        wait_for(lambda: "showing" in states(edit), "the FROM: rule edit to show")
        labels = [label.name for label in relation_targets(edit, pyatspi.RELATION_LABELLED_BY)]
        self.assertEqual(labels, ["From:"])
        do_action(self.control("push button", "From:"), "Press")
        wait_for(lambda: "showing" not in states(edit), "the FROM: rule edit to hide")

    def test_07_a_check_lists_each_message_as_a_row(self):
        type_into(self.control("password text", "Password"), self.server.password)
        self.press("push button", "Check Mail Headers")
        rows = wait_for(lambda: len(self.listed_rows()) == 3 and self.listed_rows(), "three listed messages")
        self.wait_idle()
        table = self.table().queryTable()
        self.assertEqual([table.getColumnHeader(col).name for col in range(1, 5)], ["From", "Subject", "Date", "Size"])
        first = rows[0]
        self.assertRegex(first.name, r"^From: Carol <carol@example\.test>, Subject: Lunch\?, Date: 05\.06\.24 12:05, "
                                     r"Size: \d+$")
        self.assertNotIn("checked", states(first))
        self.assertEqual(table.getAccessibleAt(0, 2).name, "Lunch?")
        self.assertTrue(rows[2].name.startswith("From: Alice Example <alice@example.test>, Subject: Quarterly figures"))

    def test_08_ticks_read_as_checked_and_a_deletion(self):
        # A click on the Analyse caption ticks every row, a second one
        # unticks them (ticking one row by the keyboard: tests/app).
        analyse = self.control("push button", "Analyse")
        do_action(analyse, "Press")
        wait_for(lambda: all("checked" in states(tick) for tick in self.listed_rows()), "every row to be ticked")
        do_action(analyse, "Press")
        wait_for(lambda: not any("checked" in states(tick) for tick in self.listed_rows()), "no row to be ticked")
        do_action(analyse, "Press")
        wait_for(lambda: all("checked" in states(tick) for tick in self.listed_rows()), "every row to be ticked")
        self.press("push button", "Delete Selected Mail")
        wait_for(lambda: self.server.count() == 0, "the server to lose the ticked messages")
        self.wait_idle()
        wait_for(lambda: not self.listed_rows(), "no row left")

    def test_09_a_box_is_an_alert_that_reads_its_text(self):
        type_into(self.control("password text", "Password"), "wrong")
        self.press("push button", "Check Mail Headers")
        box = wait_for(lambda: self.alert(), "the box of the refused log-in")
        self.assertIn(box.getRoleName(), ("alert", "dialog"))
        texts = [node.name for node in find_all(box, "label")]
        self.assertIn("User Name / Password INVALID !", texts + [box.description])
        do_action(find(box, "push button", "OK"), "Press")
        wait_for(lambda: self.alert() is None, "the box to close")
        self.wait_idle()
        type_into(self.control("password text", "Password"), self.server.password)

    def alert(self):
        found = [w for w in find_all(self.program.app, "alert") + find_all(self.program.app, "dialog")
                 if "showing" in states(w)]
        return found[0] if found else None

    def test_10_exit_ends_the_program(self):
        self.press("push button", "Exit")
        wait_for(lambda: self.program.process.poll() is not None, "the program to end")
        self.assertEqual(self.program.process.returncode, 0, self.program.output())


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
