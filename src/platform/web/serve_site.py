#!/usr/bin/env python3
"""Serves the web build's site folder on 127.0.0.1, as a static host would: only the folder's
own page files (anything else is 404), the wasm as application/wasm, and a file's precompressed
.gz copy with Content-Encoding: gzip to a client that accepts gzip. Prints the address it
listens on. Usage: serve_site.py [--port PORT] SITE_DIR (port 0: any free port)."""

import argparse
import http.server
import os
import sys

TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".wasm": "application/wasm",
}


class SiteHandler(http.server.BaseHTTPRequestHandler):
    site = "."

    def send_file(self, body):
        name = self.path.split("?", 1)[0].split("#", 1)[0]
        name = "index.html" if name == "/" else name[1:]
        extension = os.path.splitext(name)[1]
        path = os.path.join(self.site, name)
        if "/" in name or name.startswith(".") or extension not in TYPES or not os.path.isfile(path):
            self.send_error(404)
            return
        accepts = self.headers.get("Accept-Encoding", "")
        encoded = "gzip" in accepts and os.path.isfile(path + ".gz")
        with open(path + ".gz" if encoded else path, "rb") as file:
            data = file.read()
        self.send_response(200)
        self.send_header("Content-Type", TYPES[extension])
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", "no-cache")
        self.send_header("Vary", "Accept-Encoding")
        if encoded:
            self.send_header("Content-Encoding", "gzip")
        self.end_headers()
        if body:
            self.wfile.write(data)

    def do_GET(self):
        self.send_file(True)

    def do_HEAD(self):
        self.send_file(False)

    def log_message(self, format, *args):
        pass  # quiet: the requests are not the user's concern


def main():
    parser = argparse.ArgumentParser(description="Serve the mazecast site folder on 127.0.0.1.")
    parser.add_argument("--port", type=int, default=8000)
    parser.add_argument("site")
    options = parser.parse_args()
    if not os.path.isfile(os.path.join(options.site, "index.html")):
        print("serve_site.py: no index.html in " + options.site + " (make web)", file=sys.stderr)
        return 2
    SiteHandler.site = os.path.abspath(options.site)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", options.port), SiteHandler)
    print("mazecast: http://127.0.0.1:%d/" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
