"""A mailbox of the project's test Dovecot (scripts/pop3-server.sh), for
the tests that drive the built program from outside (the accessibility and
Wayland runs). The server folder comes from POP3CHECK_TEST_SERVER_DIR, as
for the GoogleTest programs, and a user is claimed the same way they claim
one (tests/support/Pop3TestServer.cpp): an exclusive lock on
DIR/locks/USER.lock, held while the object lives, so runs side by side
never share a mailbox.
"""

import fcntl
import os
import subprocess
import tempfile

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "pop3-server.sh")
DIR_VARIABLE = "POP3CHECK_TEST_SERVER_DIR"


def message(number, sender, subject, date, body="Hello.\r\n"):
    header = (f"From: {sender}\r\nTo: reader@example.test\r\nSubject: {subject}\r\n"
              f"Date: {date}\r\nMessage-ID: <m{number}@pop3check.test>\r\n")
    return header + "\r\n" + body


SAMPLE_MESSAGES = [
    message(1, "Alice Example <alice@example.test>", "Quarterly figures", "Mon, 3 Jun 2024 09:15:00 +0000"),
    message(2, "Bob Builder <bob@example.test>", "Site visit on Friday", "Tue, 4 Jun 2024 14:30:00 +0000"),
    message(3, "Carol <carol@example.test>", "Lunch?", "Wed, 5 Jun 2024 12:05:00 +0000"),
]


def server_dir():
    """The started instance's folder, or None when the environment names none."""
    return os.environ.get(DIR_VARIABLE) or None


class TestMailbox:
    """Claims the first free user of the instance in folder, empties the
    mailbox and fills it with messages (texts, in listing order)."""

    def __init__(self, folder, messages=SAMPLE_MESSAGES):
        self.folder = folder
        with open(os.path.join(folder, "address")) as f:
            self.address = f.read().strip()
        with open(os.path.join(folder, "port")) as f:
            self.port = int(f.read().strip())
        users = []
        with open(os.path.join(folder, "users")) as f:
            users = [line.split()[:2] for line in f if len(line.split()) >= 3]
        os.makedirs(os.path.join(folder, "locks"), exist_ok=True)
        self.lock = None
        for user, password in users:
            lock = open(os.path.join(folder, "locks", user + ".lock"), "a")
            try:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except BlockingIOError:
                lock.close()
                continue
            self.lock, self.user, self.password = lock, user, password
            break
        if self.lock is None:
            raise RuntimeError(f"every test mailbox of {folder} is claimed")
        self._run("reset", self.user)
        for text in messages:
            with tempfile.NamedTemporaryFile("w", suffix=".eml", newline="") as file:
                file.write(text)
                file.flush()
                self._run("add-file", self.user, file.name)

    def _run(self, *arguments):
        return subprocess.run([SCRIPT, "--dir", self.folder, "-q", *arguments], check=True, capture_output=True,
                              text=True).stdout

    def server(self):
        """host:port as typed into Server IP."""
        return f"{self.address}:{self.port}"

    def count(self):
        return int(self._run("count", self.user).strip())

    def close(self):
        if self.lock is not None:
            self.lock.close()
            self.lock = None
