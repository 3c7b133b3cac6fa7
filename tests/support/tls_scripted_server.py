#!/usr/bin/env python3
"""A scripted POP3 server with a TLS layer, for the TLS faults a real server
does not make. Serves one connection on 127.0.0.1 (a free port, printed on
the first line of standard output), TLS from the first byte, then plays the
script file, one step per line:

  S: text        text + CR LF in one TLS record
  REC: a|b|c     several lines (each + CR LF) in one TLS record
  S1: text       text + CR LF, one TLS record per byte
  DRIBBLE: text  text + CR LF in one TLS record whose bytes go out on the
                 wire one at a time
  C: text        the client must send this line (decrypted); a mismatch is
                 reported on standard error and ends the server with status 1
  CLOSE_NOTIFY   send TLS's close alert, keep the TCP connection open
  HOLD           wait until the client closes

Usage: tls_scripted_server.py CERT KEY SCRIPT"""
import socket
import ssl
import sys
import time


class Session:
    def __init__(self, sock, context):
        self.sock = sock
        self.incoming = ssl.MemoryBIO()
        self.outgoing = ssl.MemoryBIO()
        self.tls = context.wrap_bio(self.incoming, self.outgoing, server_side=True)
        self.plain = b""

    def flush(self, bytewise=False):
        data = self.outgoing.read()
        if not bytewise:
            self.sock.sendall(data)
            return
        for i in range(len(data)):
            self.sock.sendall(data[i:i + 1])
            time.sleep(0.002)  # separate segments

    def feed(self):
        data = self.sock.recv(65536)
        if not data:
            raise EOFError("client closed")
        self.incoming.write(data)

    def handshake(self):
        while True:
            try:
                self.tls.do_handshake()
                self.flush()
                return
            except ssl.SSLWantReadError:
                self.flush()
                self.feed()

    def send(self, data, bytewise=False):
        self.tls.write(data)
        self.flush(bytewise)

    def read_line(self):
        while b"\n" not in self.plain:
            try:
                self.plain += self.tls.read(65536)
            except ssl.SSLWantReadError:
                self.flush()
                self.feed()
        line, _, self.plain = self.plain.partition(b"\n")
        return line.rstrip(b"\r").decode("latin-1")


def main():
    cert, key, script = sys.argv[1:4]
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    print(listener.getsockname()[1], flush=True)
    listener.settimeout(30)
    sock, _ = listener.accept()
    sock.settimeout(30)
    sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    session = Session(sock, context)
    try:
        session.handshake()
        for raw in open(script, encoding="latin-1").read().splitlines():
            step = raw.strip()
            if not step:
                continue
            kind, _, text = step.partition(":")
            text = text[1:] if text.startswith(" ") else text
            if kind == "S":
                session.send((text + "\r\n").encode("latin-1"))
            elif kind == "REC":
                session.send("".join(part + "\r\n" for part in text.split("|")).encode("latin-1"))
            elif kind == "S1":
                for byte in (text + "\r\n").encode("latin-1"):
                    session.send(bytes([byte]))
            elif kind == "DRIBBLE":
                session.send((text + "\r\n").encode("latin-1"), bytewise=True)
            elif kind == "C":
                line = session.read_line()
                if line != text:
                    sys.exit("expected %r, received %r" % (text, line))
            elif step == "CLOSE_NOTIFY":
                try:
                    session.tls.unwrap()
                except ssl.SSLWantReadError:
                    pass
                session.flush()
            elif step == "HOLD":
                while sock.recv(65536):
                    pass
            else:
                sys.exit("unknown step %r" % step)
        while sock.recv(65536):  # until the client closes
            pass
    except (EOFError, ConnectionError, socket.timeout):
        pass


if __name__ == "__main__":
    main()
