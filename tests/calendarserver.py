#!/usr/bin/env python3
"""A local https server for the calendar tests: serves the files of a folder
on a free 127.0.0.1 port with the given certificate, or, with --hang, accepts
connections and never answers. Prints the port, then stops by itself after
--seconds (60 by default)."""

import argparse
import functools
import http.server
import socket
import ssl
import sys
import threading
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cert")
    parser.add_argument("key")
    parser.add_argument("folder")
    parser.add_argument("--hang", action="store_true")
    parser.add_argument("--seconds", type=float, default=60)
    args = parser.parse_args()

    if args.hang:
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(8)
        print(listener.getsockname()[1], flush=True)
        held = []
        listener.settimeout(0.5)
        end = time.monotonic() + args.seconds
        while time.monotonic() < end:
            try:
                held.append(listener.accept()[0])
            except socket.timeout:
                pass
        return

    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=args.folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Timer(args.seconds, server.shutdown).start()
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
