#!/usr/bin/env python3
"""Measuring steps of bench/run.sh.

  launch LOG BG X Y W H TIMEOUT -- COMMAND...
      Starts COMMAND (output to LOG) and waits until its first frame is on
      the screen: a pixel in the rectangle X,Y,W,H of the X root window that
      is none of the desktop colour BG (RRGGBB), black, white or the colour
      key magenta. Prints "PID SECONDS"; the program is left running.
  clear BG X Y W H TIMEOUT
      Waits until that rectangle shows nothing drawn any more.
  sample PID...
      Prints per PID: "cpu_ticks switches rss_kB pss_kB" (cpu = utime+stime
      of the whole process; switches = voluntary+involuntary context switches
      summed over its threads).
  server PREFIX
      Prints the pid of the Wine server serving PREFIX, or nothing.
  helpers PREFIX PID...
      Prints the pids of the other Wine processes of PREFIX (services, device
      drivers, the desktop process ...), one a line, leaving out the PIDs.
  cpu PID...
      Prints the cpu ticks of the PIDs together (a process gone counts 0).
  report RAW OUT
      Reads the raw rows written by run.sh, prints the table and saves it.
"""

import ctypes
import ctypes.util
import os
import statistics
import subprocess
import sys
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


# ---------------------------------------------------------------- first frame

class XImage(ctypes.Structure):
    # Only the leading fields are read; the structure is never allocated here.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int),
        ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
        ("data", ctypes.c_void_p),
        ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
    ]


class Screen:
    ZPIXMAP = 2
    ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)

    def __init__(self):
        name = ctypes.util.find_library("X11") or "libX11.so.6"
        self.x = ctypes.CDLL(name)
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        # XDestroyImage is a macro; the image and its pixels are freed with XFree.
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(None)
        if not self.display:
            raise SystemExit("cannot open the X display")
        self.root = self.x.XDefaultRootWindow(self.display)

    def pixels(self, x, y, w, h):
        image = self.x.XGetImage(self.display, self.root, x, y, w, h,
                                 self.ALL_PLANES, self.ZPIXMAP)
        if not image:
            return set()
        img = image.contents
        if img.bits_per_pixel != 32:
            raise SystemExit("expected a 32-bit pixel format, got %d" % img.bits_per_pixel)
        data = ctypes.string_at(img.data, img.bytes_per_line * img.height)
        self.x.XFree(ctypes.c_void_p(img.data))
        self.x.XFree(ctypes.cast(image, ctypes.c_void_p))
        return {p & 0xFFFFFF for p in memoryview(data).cast("I")}


def launch(args):
    sep = args.index("--")
    log, bg, x, y, w, h, timeout = args[:sep]
    command = args[sep + 1:]
    not_drawn = {int(bg, 16), 0x000000, 0xFFFFFF, 0xFF00FF}
    screen = Screen()
    x, y, w, h, timeout = int(x), int(y), int(w), int(h), float(timeout)
    with open(log, "ab") as out:
        start = time.monotonic()
        child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=out)
    while True:
        if screen.pixels(x, y, w, h) - not_drawn:
            print(child.pid, "%.3f" % (time.monotonic() - start))
            return
        elapsed = time.monotonic() - start
        if child.poll() is not None or elapsed > timeout:
            print(child.pid, "nan")
            return
        time.sleep(0.01)


def clear(args):
    bg, x, y, w, h, timeout = args
    not_drawn = {int(bg, 16), 0x000000, 0xFFFFFF, 0xFF00FF}
    screen = Screen()
    end = time.monotonic() + float(timeout)
    while screen.pixels(int(x), int(y), int(w), int(h)) - not_drawn:
        if time.monotonic() > end:
            print("the screen did not clear", file=sys.stderr)
            return
        time.sleep(0.05)


# -------------------------------------------------------------------- samples

def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # Fields 14 and 15 (utime, stime); the list starts at field 3.
    return int(fields[11]) + int(fields[12])


def switches(pid):
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, task)) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except OSError:
            pass  # a thread that ended meanwhile
    return total


def memory(pid):
    rss = pss = 0
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            if line.startswith("Rss:"):
                rss = int(line.split()[1])
            elif line.startswith("Pss:"):
                pss = int(line.split()[1])
    return rss, pss


def sample(args):
    for pid in map(int, args):
        try:
            rss, pss = memory(pid)
            print(cpu_ticks(pid), switches(pid), rss, pss)
        except OSError:
            print("nan nan nan nan")


def prefix_processes(prefix):
    """(pid, command name) of every process whose environment names PREFIX."""
    wanted = b"WINEPREFIX=" + os.fsencode(prefix)
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as f:
                if wanted not in f.read().split(b"\0"):
                    continue
            with open("/proc/%s/comm" % entry) as f:
                yield entry, f.read().strip()
        except OSError:
            continue


def server(args):
    for pid, name in prefix_processes(args[0]):
        if name.startswith("wineserver"):
            print(pid)
            return


def helpers(args):
    prefix, left_out = args[0], set(args[1:])
    for pid, name in prefix_processes(prefix):
        # Wine processes carry their exe name; start-up shells and loaders do not.
        if pid not in left_out and name.lower().endswith(".exe"):
            print(pid)


def cpu(args):
    total = 0
    for pid in map(int, args):
        try:
            total += cpu_ticks(pid)
        except OSError:
            pass  # ended meanwhile
    print(total)


# --------------------------------------------------------------------- report

PROGRAMS = ["dashvane", "floor", "conky", "idle", "before"]
# The programs Dashvane's figures are divided by, in the ratio columns.
OTHERS = ["floor", "conky", "before"]
METRICS = [
    ("cpu", "CPU s per min, own process", 0.6),
    ("cpu_server", "CPU s per min, Wine server", None),
    ("cpu_helpers", "CPU s per min, Wine helpers", None),
    ("cpu_all", "CPU s/min, own+server+helpers", 0.7),
    ("cpu_x", "CPU s per min, X server", None),
    ("wakeups", "wake-ups per s, own process", 0.7),
    ("wakeups_server", "wake-ups per s, Wine server", None),
    ("rss", "resident MiB (VmRSS)", None),
    ("pss", "proportional MiB (Pss)", 1.1),
    ("start_warm", "warm start to first frame, s", 1.2),
    ("start_cold", "cold start to first frame, s", None),
]


def number(text):
    try:
        return float(text)
    except ValueError:
        return float("nan")


def fmt(value):
    if value != value:
        return "-"
    if abs(value) >= 100:
        return "%.0f" % value
    if abs(value) >= 10:
        return "%.1f" % value
    return "%.3g" % value


def spread(values):
    values = [v for v in values if v == v]
    if not values:
        return "-"
    return "%s / %s / %s" % (fmt(min(values)), fmt(statistics.median(values)), fmt(max(values)))


def report(args):
    raw, out = args
    data = {}  # (metric, program) -> {round: value}
    settings = {}
    with open(raw) as f:
        for line in f:
            parts = line.split()
            if not parts:
                continue
            if parts[0] == "#":
                settings[parts[1]] = " ".join(parts[2:])
                continue
            rnd, program, metric, value = parts[0], parts[1], parts[2], parts[3]
            data.setdefault((metric, program), {})[rnd] = number(value)

    lines = []
    lines.append("Benchmark: %s" % ", ".join("%s %s" % kv for kv in settings.items()))
    lines.append("Values: min / median / max over the rounds. Ratio columns: median of the")
    lines.append("per-round ratios (each round's Dashvane value over the same round's other).")
    lines.append("")
    # Only the programs this run measured get a column.
    programs = [p for p in PROGRAMS if any(q == p for _, q in data)]
    others = [p for p in OTHERS if p in programs]
    budgets = "floor" in programs

    def line(first, cells, ratios, verdict):
        return " | ".join(["%-31s" % first] + ["%-20s" % c for c in cells]
                          + ["%-9s" % r for r in ratios] + ([verdict] if budgets else [])).rstrip()

    head = line("measure", programs, ["dv/" + o for o in others], "budget (dv/floor)")
    lines.append(head)
    lines.append("-" * len(head))
    verdicts = []
    for metric, title, budget in METRICS:
        cells = [spread(data.get((metric, p), {}).values()) for p in programs]
        ratios = {}
        for other in others:
            mine = data.get((metric, "dashvane"), {})
            theirs = data.get((metric, other), {})
            per_round = [mine[r] / theirs[r] for r in mine
                         if r in theirs and theirs[r] and theirs[r] == theirs[r] and mine[r] == mine[r]]
            ratios[other] = per_round
        median = {k: (statistics.median(v) if v else float("nan")) for k, v in ratios.items()}
        verdict = ""
        if budget is not None and budgets:
            if median["floor"] != median["floor"]:
                verdict = "<= %.1f: no data" % budget
            else:
                verdict = "<= %.1f: %s" % (budget, "met" if median["floor"] <= budget else "MISSED")
                verdicts.append((title, median["floor"], budget))
        lines.append(line(title, cells, [fmt(median[o]) for o in others], verdict))
    lines.append("")
    rounds = sorted({r for (m, p), v in data.items() for r in v if r != "cold"}, key=int)
    for other in others:
        lines.append("Per-round ratios, Dashvane / %s:" % other)
        for metric, title, _ in METRICS:
            mine = data.get((metric, "dashvane"), {})
            theirs = data.get((metric, other), {})
            cells = ["%s:%s" % (r, fmt(mine[r] / theirs[r]))
                     for r in rounds if r in mine and r in theirs and theirs[r]]
            if cells:
                lines.append("  %-31s %s" % (title, "  ".join(cells)))
    text = "\n".join(lines) + "\n"
    sys.stdout.write(text)
    with open(out, "w") as f:
        f.write(text)


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    command, args = sys.argv[1], sys.argv[2:]
    {"launch": launch, "clear": clear, "sample": sample, "server": server, "helpers": helpers,
     "cpu": cpu, "report": report}[command](args)


if __name__ == "__main__":
    main()
