#!/usr/bin/env python3
"""A misbehaving web server for the soak: every request is answered with a header block
and then a body without end, sent at RATE bytes a second, until the client closes the
connection. Prints its port, then serves until killed.
Usage: tools/soak-peer.py [RATE]   (default 4194304)"""
import socket
import sys
import threading
import time

RATE = int(sys.argv[1]) if len(sys.argv) > 1 else 4 << 20
BLOCK = 64 << 10


def serve(client):
    with client:
        try:
            head = b""
            while b"\r\n\r\n" not in head:
                data = client.recv(4096)
                if not data:
                    return
                head += data
            client.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n")
            block = b"endless soak page line\r\n" * (BLOCK // 24)
            while True:
                started = time.monotonic()
                client.sendall(block)
                time.sleep(max(0.0, len(block) / RATE - (time.monotonic() - started)))
        except OSError:
            return


def main():
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    print(listener.getsockname()[1], flush=True)
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client,), daemon=True).start()


if __name__ == "__main__":
    main()
