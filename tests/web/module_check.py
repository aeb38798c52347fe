#!/usr/bin/env python3
"""Checks the browser's module against the command line, in headless Chromium.

Usage: tests/web/module_check.py [QUILLON_CLI] [MEGABYTES]   (after scripts/build-web; needs
Debian's chromium)

Loads build/web/quillon-core.js in a Web Worker as the page does (module_check_worker.js),
opens the English database of build/web/data, and compares each answer, the two searches and
a scan fed in uneven pieces with what QUILLON_CLI (default build/release/quillon-cli) writes
for the same database. Prints the times: load to first answer, one answer, the scan's speed
against the command line's. Exit status 1 when a text differs.
"""

import gzip
import http.server
import json
import pathlib
import subprocess
import sys
import tempfile
import threading
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
CHECK = ROOT / "build" / "web-check"
QUERIES = ["0x80070005", "5", "E_FAIL", "C0000005", "1603", "-2147024891", "0xD0000005",
           "BugCheck 133, {0, 501, 500, fffff8005f8fb320}", "0xC1900101 - 0x4000D", "00000050",
           "0x0x5", "WSAEACCES", "nosuchname_x"]
# The compared log's lines: codes in every form the scan knows, words that are none, and a line
# that is not ASCII, among lines without codes.
LOG_LINES = [
    "2026-12-09 10:22:31 CreateFile failed: hr=0x80070005, exit code: 1618",
    "Installer returned 1603; LastError=87 (E_ACCESSDENIED)",
    "{80070005-0000-1111-2222-333344445555} 10.0.19041.1 Barcode 1603",
    "BugCheck 133, {0, 501, 500, fffff8005f8fb320} Stop code 0000007B",
    "0xC1900101 - 0x4000D setup failed, WSAECONNRESET err=10054 ntstatus C0000005",
    "Größe: ‘überprüft’ — ExitCode: -1073741819 status 0xC0000135 ✓",
] + [f"2026-12-09 10:22:{n:02} [worker {n}] request handled in {n * 7} ms, cache warm, queue empty"
     for n in range(60)]


def native(cli, database, *arguments, language="en-US"):
    """What the command line writes with the documentation and no system's message tables (an
    empty Windows directory), as in the browser."""
    with tempfile.TemporaryDirectory() as no_windows:
        run = subprocess.run([str(cli), "--db", str(database), "--lang", language, "--windows",
                              no_windows, *arguments], capture_output=True, check=False)
    return run.stdout.decode("utf-8")


def serve(results):
    class Handler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=str(ROOT), **kwargs)

        def do_POST(self):
            length = int(self.headers["Content-Length"])
            results.append(json.loads(self.rfile.read(length)))
            self.send_response(204)
            self.end_headers()

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main(argv):
    cli = pathlib.Path(argv[1]) if len(argv) > 1 else ROOT / "build" / "release" / "quillon-cli"
    megabytes = int(argv[2]) if len(argv) > 2 else 32
    CHECK.mkdir(parents=True, exist_ok=True)
    database = CHECK / "defines-en-US.db3"
    packed = ROOT / "build" / "web" / "data" / "defines-en-US.db3.gz"
    database.write_bytes(gzip.decompress(packed.read_bytes()))
    (CHECK / "defines-de-DE.db3").write_bytes(
        gzip.decompress((packed.parent / "defines-de-DE.db3.gz").read_bytes()))
    # The timed log is the scan benchmark's: log-like lines, about one code in twenty.
    log = CHECK / "scan.log"
    subprocess.run([str(ROOT / "tests" / "bench" / "make-scan-log"), str(log), str(megabytes)],
                   check=True)
    block = ("\n".join(LOG_LINES) + "\n").encode("utf-8")
    small = CHECK / "scan-small.log"
    small.write_bytes(block * (256 * 1024 // len(block)))
    plan = {"queries": QUERIES, "namePart": "E_ACCESS", "text": "access denied"}
    (CHECK / "plan.json").write_text(json.dumps(plan))

    results = []
    server = serve(results)
    with tempfile.TemporaryDirectory() as profile:
        browser = subprocess.Popen(
            ["/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu",
             f"--user-data-dir={profile}",
             f"http://127.0.0.1:{server.server_port}/tests/web/module_check.html"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 300
        while not results and time.monotonic() < deadline and browser.poll() is None:
            time.sleep(0.2)
        browser.terminate()
        browser.wait()
    server.shutdown()
    if not results:
        print("module_check: no result from the browser")
        return 1
    result = results[0]
    if "error" in result:
        print("module_check: " + result["error"])
        return 1

    failures = []

    def same(what, expected, actual):
        if expected != actual:
            failures.append(what)
            print(f"DIFFERS {what}\n  cli:  {str(expected)[:600]!r}\n  wasm: {str(actual)[:600]!r}")

    same("open", "", result["open"])
    print("damaged database:", result["damaged"])
    for query, answer in zip(QUERIES, result["answers"]):
        same(f"answer {query}", native(cli, database, "--json", query), answer)
    same("searchNames", native(cli, database, "--json", "--search", plan["namePart"]),
         result["names"])
    same("searchText", native(cli, database, "--json", "--search-text", plan["text"]),
         result["texts"])
    same("scan", native(cli, database, "--scan", "--json", str(small)),
         result["scan"])
    started = time.monotonic()
    scanned = native(cli, database, "--scan", "--json", str(log))
    native_seconds = time.monotonic() - started
    same("scan's size", len(scanned), result["scanWritten"])
    same("German opened", "", result["german"])
    german = native(cli, CHECK / "defines-de-DE.db3", "--json", QUERIES[0], language="de-DE")
    same("German answer", german, result["germanAnswer"])

    # The first visit's transfer: the page's files and the module compressed, English's data.
    web = ROOT / "build" / "web"
    first = [path for path in web.iterdir() if path.is_file()]
    first += [web / "data" / "languages.json", packed]
    transfer = sum(len(path.read_bytes()) if path.suffix == ".gz"
                   else len(gzip.compress(path.read_bytes(), 9)) for path in first)
    print(f"first transfer {transfer / 1e6:.2f} MB gzip'ed: " + ", ".join(
        path.name for path in first))
    megabyte = 1024 * 1024
    wasm_speed = result["scanBytes"] / megabyte / (result["scanMs"] / 1000)
    native_speed = log.stat().st_size / megabyte / native_seconds
    print(f"load to first answer {result['loadMs']:.0f} ms; one answer {result['answerMs']:.3f} ms")
    print(f"scan of {log.stat().st_size / megabyte:.0f} MB: module {wasm_speed:.1f} MB/s, "
          f"command line {native_speed:.1f} MB/s ({wasm_speed / native_speed:.2f} of it)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
