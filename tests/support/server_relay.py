#!/usr/bin/env python3
"""Starts the Linux-side test servers for a test program running under wine.

A Windows program under wine can start a Linux program, but gets neither a handle
to it nor its output. So the runner starts this relay beside the test program and
hands its port in ($VEXA_TEST_SERVER_RELAY). Each connection asks for one server:

    request:  "<count>\\n" then <count> texts, each ended by a NUL byte: the
              program's name (a program of the Linux build's bin folder, or the
              absolute path of one of SYSTEM_PROGRAMS) and its arguments; an
              argument that is a Windows path ("C:\\..." or "C:/...") becomes the
              Unix path of that file in the wine prefix.
    answer:   frames of one kind byte, a 4-byte big-endian length and the bytes:
              b"o" standard output, b"e" standard error, b"x" the exit code as
              text (the last frame; the relay then closes the connection).

The server is killed when the test ends its side of the connection, and every
server when the relay's standard input closes (the runner ended).

Usage: server_relay.py <linux-bin-folder>; prints the port, then serves.
"""
import os
import re
import signal
import socket
import struct
import subprocess
import sys
import threading

DRIVE_PATH = re.compile(rb"^([A-Za-z]):[\\/]")
# The system's own programs the tests meet: the web server and the certificates' maker.
SYSTEM_PROGRAMS = (b"/usr/sbin/nginx", b"/usr/bin/openssl")
children = set()
children_lock = threading.Lock()


def unix_argument(argument, prefix):
    match = DRIVE_PATH.match(argument)
    if not match or not prefix:
        return argument
    drive = os.path.join(prefix, b"dosdevices", match.group(1).lower() + b":")
    return os.path.realpath(drive) + b"/" + argument[3:].replace(b"\\", b"/")


def read_request(connection):
    data = b""
    while b"\n" not in data:
        chunk = connection.recv(4096)
        if not chunk:
            return None
        data += chunk
    count_text, data = data.split(b"\n", 1)
    count = int(count_text)
    while data.count(b"\0") < count:
        chunk = connection.recv(4096)
        if not chunk:
            return None
        data += chunk
    return data.split(b"\0")[:count]


def send_frame(connection, lock, kind, payload):
    with lock:
        connection.sendall(kind + struct.pack(">I", len(payload)) + payload)


def pump(stream, connection, lock, kind):
    for chunk in iter(lambda: os.read(stream.fileno(), 65536), b""):
        try:
            send_frame(connection, lock, kind, chunk)
        except OSError:
            return


def program_path(name, bin_folder):
    if name in SYSTEM_PROGRAMS:
        return name
    if b"/" in name or name in (b"", b".", b".."):
        return None
    return os.path.join(bin_folder, name)


def serve(connection, bin_folder, prefix):
    with connection:
        request = read_request(connection)
        program = program_path(request[0], bin_folder) if request else None
        if not program:
            return
        command = [program] + [unix_argument(a, prefix) for a in request[1:]]
        try:
            child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        except OSError as error:
            lock = threading.Lock()
            send_frame(connection, lock, b"e", str(error).encode())
            send_frame(connection, lock, b"x", b"127")
            return
        with children_lock:
            children.add(child)
        lock = threading.Lock()
        pumps = [threading.Thread(target=pump, args=(stream, connection, lock, kind), daemon=True)
                 for stream, kind in ((child.stdout, b"o"), (child.stderr, b"e"))]
        for thread in pumps:
            thread.start()
        # The test closing its end stops the server.
        threading.Thread(target=watch_close, args=(connection, child), daemon=True).start()
        code = child.wait()
        for thread in pumps:
            thread.join()
        with children_lock:
            children.discard(child)
        try:
            send_frame(connection, lock, b"x", str(code).encode())
        except OSError:
            pass


def watch_close(connection, child):
    try:
        while connection.recv(4096):
            pass
    except OSError:
        pass
    if child.poll() is None:
        child.send_signal(signal.SIGKILL)


def end_with_runner():
    sys.stdin.buffer.read()
    with children_lock:
        for child in children:
            child.kill()
    os._exit(0)


def main():
    bin_folder = os.fsencode(sys.argv[1])
    prefix = os.fsencode(os.environ.get("WINEPREFIX", ""))
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    print(listener.getsockname()[1], flush=True)
    threading.Thread(target=end_with_runner, daemon=True).start()
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve, args=(connection, bin_folder, prefix), daemon=True).start()


if __name__ == "__main__":
    main()
