#!/usr/bin/env python3
"""Start-up time and memory of zentavo-player beside a bare QWebEngineView program.

Time: from process start until the main window shows its start page loaded (the player prints a line
when ZENTAVO_REPORT_STARTUP=1; the bare program prints one when its page has loaded). Memory: the
anonymous memory of the program and every process it started, read at that moment (PSS beside it:
it also counts the shared libraries, whose share moves with what other programs map). Runs alternate
between the two programs; minimum, median and maximum of --runs each are printed, and of the
per-round ratios.

usage: bench/startup/startup_bench.py [--build build] [--runs 9] [--platform offscreen]
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def descendants(pid):
    found, queue = [pid], [pid]
    while queue:
        parent = queue.pop()
        try:
            with open(f"/proc/{parent}/task/{parent}/children") as f:
                kids = [int(k) for k in f.read().split()]
        except OSError:
            kids = []
        found += kids
        queue += kids
    return found


def memory_kib(pid):
    """(anonymous, PSS) of the process and its descendants, in KiB."""
    anonymous = pss = 0
    for p in descendants(pid):
        try:
            with open(f"/proc/{p}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        pss += int(line.split()[1])
                    elif line.startswith("Anonymous:"):
                        anonymous += int(line.split()[1])
        except OSError:
            pass
    return anonymous, pss


def run_once(command, marker, env, settle):
    start = time.monotonic()
    proc = subprocess.Popen(command, env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            start_new_session=True)
    elapsed = None
    try:
        for raw in proc.stderr:
            if marker in raw:
                elapsed = time.monotonic() - start
                break
        if elapsed is None:
            raise RuntimeError(f"{command[0]} ended without reporting its page")
        time.sleep(settle)
        anonymous, pss = memory_kib(proc.pid)
    finally:
        os.killpg(proc.pid, signal.SIGTERM)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
    return elapsed * 1000.0, anonymous / 1024.0, pss / 1024.0


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    source = os.path.dirname(os.path.dirname(here))
    parser.add_argument("--build", default=os.path.join(source, "build"))
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--platform", default="offscreen")
    parser.add_argument("--settle", type=float, default=0.5, help="seconds between the page and the memory reading")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="zentavo-startup-")
    try:
        # The player reads its data beside the executable: a copy with a small catalogue.
        player_dir = os.path.join(work, "player")
        os.makedirs(os.path.join(player_dir, "data"))
        player = os.path.join(player_dir, "zentavo-player")
        shutil.copy2(os.path.join(args.build, "bin", "zentavo-player"), player)
        shutil.copy2(os.path.join(source, "data", "start.zvo"), os.path.join(player_dir, "data", "start.zvo"))
        shutil.copy2(os.path.join(source, "tests", "app", "data", "tv-all.xml"), os.path.join(player_dir, "data", "tv-all.xml"))
        page = os.path.join(work, "start.html")
        shutil.copy2(os.path.join(source, "data", "start.zvo"), page)
        bare = os.path.join(args.build, "bin", "bare_webview")

        env = dict(os.environ, QT_QPA_PLATFORM=args.platform, LANG="en_GB.UTF-8", ZENTAVO_REPORT_STARTUP="1")
        env.pop("LC_ALL", None)
        if os.geteuid() == 0:
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        home = os.path.join(work, "home")
        for sub in ("config", "runtime", "cache", "data", "tmp"):
            os.makedirs(os.path.join(home, sub), mode=0o700)
        env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_RUNTIME_DIR=os.path.join(home, "runtime"),
                   XDG_CACHE_HOME=os.path.join(home, "cache"), XDG_DATA_HOME=os.path.join(home, "data"),
                   TMPDIR=os.path.join(home, "tmp"))

        results = {"player": [], "bare": []}
        # One unmeasured run of each warms the file cache.
        run_once([player], b"zentavo: start page loaded", env, 0)
        run_once([bare, page], b"bare: page loaded", env, 0)
        for _ in range(args.runs):
            results["player"].append(run_once([player], b"zentavo: start page loaded", env, args.settle))
            results["bare"].append(run_once([bare, page], b"bare: page loaded", env, args.settle))

        def spread(values, digits=1):
            values = sorted(values)
            return " / ".join(f"{v:.{digits}f}" for v in (values[0], statistics.median(values), values[-1]))

        print(f"min / median / max of {args.runs} rounds")
        for name, runs in results.items():
            print(f"{name:7s} start page loaded (ms) {spread([r[0] for r in runs], 0)}   anonymous (MiB) "
                  f"{spread([r[1] for r in runs])}   PSS (MiB) {spread([r[2] for r in runs])}")
        pairs = list(zip(results["player"], results["bare"]))
        print(f"ratio   time {spread([p[0] / b[0] for p, b in pairs], 2)} (goal <= 1.30)   "
              f"anonymous memory {spread([p[1] / b[1] for p, b in pairs], 2)} (goal <= 1.20)")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
