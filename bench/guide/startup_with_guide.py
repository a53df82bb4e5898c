#!/usr/bin/env python3
"""Start-up of zentavo-player with a large guide stored beside start-up without one.

Both runs have the same lists: a catalogue of --channels TV channels whose tvg ids are those of the
generated guide. One home has nothing of a guide; the other has the guide database read from a
generated guide of --megabytes MB over 14 days (every programme of every channel kept) and its
source listed as read just now, so that start-up reads nothing again. Time is from process start
until the main window shows its start page loaded, as bench/startup/startup_bench.py measures it;
beside it the processor time the player's own process (not the web engine's) has used by then,
which a busy machine stretches less. Runs alternate between the two homes, one unmeasured run of
each first. Prints minimum, median and maximum of --rounds each, and of the per-round ratios (goal
<= 1.05).
The files go to a folder under /tmp that is removed at the end.

usage: bench/guide/startup_with_guide.py [--build build] [--rounds 5] [--channels 10000]
                                         [--megabytes 1024] [--platform offscreen]
"""
import argparse
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "bench", "startup"))
from startup_bench import memory_kib  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def start_once(command, env, settle):
    """(ms to the start page, processor ms of the player's process by then, anonymous MiB after settle)."""
    start = time.monotonic()
    proc = subprocess.Popen(command, env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            start_new_session=True)
    try:
        elapsed = cpu = None
        for raw in proc.stderr:
            if b"zentavo: start page loaded" in raw:
                elapsed = time.monotonic() - start
                with open(f"/proc/{proc.pid}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                cpu = (int(fields[11]) + int(fields[12])) / TICKS
                break
        if elapsed is None:
            raise RuntimeError("the player ended without reporting its start page")
        time.sleep(settle)
        anonymous, _pss = memory_kib(proc.pid)
    finally:
        os.killpg(proc.pid, signal.SIGTERM)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
    return elapsed * 1000.0, cpu * 1000.0, anonymous / 1024.0


def write_catalogue(path, channels):
    """TV channels 1..N, channel N matched by tvg id to the generator's "ch<N-1>.bench"."""
    with open(path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n<items>\n')
        for i in range(channels):
            out.write(f"<item><id>{i + 1}</id><name>Bench Channel {i}</name><country>Germany</country>"
                      f"<bandwidth>1M</bandwidth><type2>tv</type2><url>00</url><imgindex>0</imgindex>"
                      f"<tvgid>ch{i}.bench</tvgid></item>\n")
        out.write("</items>\n")


def make_home(root):
    home = {"HOME": root}
    for sub, name in (("config", "XDG_CONFIG_HOME"), ("runtime", "XDG_RUNTIME_DIR"), ("cache", "XDG_CACHE_HOME"),
                      ("data", "XDG_DATA_HOME"), ("tmp", "TMPDIR")):
        path = os.path.join(root, sub)
        os.makedirs(path, mode=0o700)
        home[name] = path
    return home


def spread(values, digits):
    values = sorted(values)
    return " / ".join(f"{v:.{digits}f}" for v in (values[0], statistics.median(values), values[-1]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--channels", type=int, default=10000)
    parser.add_argument("--megabytes", type=int, default=1024)
    parser.add_argument("--platform", default="offscreen")
    args = parser.parse_args()
    binaries = os.path.join(args.build, "bin")
    for program in ("zentavo-player", "zentavo-bench-guide-generate", "zentavo-bench-guide-read"):
        if not os.access(os.path.join(binaries, program), os.X_OK):
            sys.exit(f"missing {binaries}/{program}: build it first")

    work = tempfile.mkdtemp(prefix="zentavo-guide-startup-")
    try:
        player_dir = os.path.join(work, "player")
        os.makedirs(os.path.join(player_dir, "data"))
        player = os.path.join(player_dir, "zentavo-player")
        shutil.copy2(os.path.join(binaries, "zentavo-player"), player)
        shutil.copy2(os.path.join(SOURCE, "data", "start.zvo"), os.path.join(player_dir, "data", "start.zvo"))
        write_catalogue(os.path.join(player_dir, "data", "tv-all.xml"), args.channels)

        env = dict(os.environ, QT_QPA_PLATFORM=args.platform, LANG="en_GB.UTF-8", ZENTAVO_REPORT_STARTUP="1")
        env.pop("LC_ALL", None)
        if os.geteuid() == 0:
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        bare_home = make_home(os.path.join(work, "without"))
        guide_home = make_home(os.path.join(work, "with"))

        # The guide, read into the database where the player keeps it; the XMLTV file goes after.
        guide_xml = os.path.join(work, "guide.xml")
        subprocess.run([os.path.join(binaries, "zentavo-bench-guide-generate"), str(args.channels), "14",
                        str(args.megabytes), guide_xml], check=True)
        xml_bytes = os.path.getsize(guide_xml)
        database = os.path.join(guide_home["XDG_CACHE_HOME"], "zentavo-player", "guide.sqlite")
        os.makedirs(os.path.dirname(database))
        reading = subprocess.run([os.path.join(binaries, "zentavo-bench-guide-read"), guide_xml, str(args.channels),
                                  database], check=True, capture_output=True, text=True).stdout
        summary = next((line for line in reading.splitlines() if line.startswith("summary")), "")
        sources = os.path.join(guide_home["XDG_DATA_HOME"], "zentavo-player", "guide-sources.json")
        os.makedirs(os.path.dirname(sources))
        with open(sources, "w", encoding="utf-8") as out:
            json.dump({"guides": [{"address": guide_xml, "updated": int(time.time())}]}, out)
        os.remove(guide_xml)
        print(f"guide: {args.channels} channels, 14 days, {xml_bytes / 2**20:.0f} MiB of XMLTV; database "
              f"{os.path.getsize(database) / 2**20:.0f} MiB; {summary}")

        homes = {"without guide": dict(env, **bare_home), "with guide": dict(env, **guide_home)}
        for home in homes.values():
            start_once([player], home, 0)
        times = {name: [] for name in homes}
        cpus = {name: [] for name in homes}
        anonymous = {name: [] for name in homes}
        for _ in range(args.rounds):
            for name, home in homes.items():
                elapsed, cpu, anon = start_once([player], home, 0.5)
                times[name].append(elapsed)
                cpus[name].append(cpu)
                anonymous[name].append(anon)

        print(f"min / median / max of {args.rounds} rounds, {args.channels} channels in the lists")
        for name in homes:
            print(f"{name:14s} start page loaded (ms) {spread(times[name], 0)}   processor (ms) "
                  f"{spread(cpus[name], 0)}   anonymous (MiB) {spread(anonymous[name], 1)}")
        ratios = [w / b for w, b in zip(times["with guide"], times["without guide"])]
        cpu_ratios = [w / b for w, b in zip(cpus["with guide"], cpus["without guide"])]
        print(f"ratio with / without guide: time {spread(ratios, 3)} (goal <= 1.05), "
              f"processor {spread(cpu_ratios, 3)}")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
