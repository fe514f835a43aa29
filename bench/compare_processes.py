#!/usr/bin/python3
"""Whole-process timings of xyla beside numpy, matplotlib and fityk.

Runs each job as a fresh process several times, alternating with the other program (so
both see the same load), and prints the median wall times and their ratio where the other
program is installed (Debian's python3-numpy, python3-matplotlib and fityk; jobs whose
program is missing are skipped). Drawing every point (`alldraw`) is paired with the
default drawing of the same file. The machine's load average is printed before and after.

    bench/compare_processes.py [--xyla build/bin/xyla] [--runs 11] [--only NAME...]

The 10^7-line file is written once into $TMPDIR (or /tmp) and kept for later runs.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO = os.path.join(ROOT, "resources", "demo")
SPECTRUM = os.path.join(DEMO, "0-150W_NiWC1s_C1s.txt")
TMP = os.environ.get("TMPDIR", "/tmp")


def big_file(lines):
    """The two-column file of the import benchmarks: a falling X with rounding noise
    written with 6 to 16 digits, a count-like Y, tab separated."""
    path = os.path.join(TMP, "xyla-compare-%d.txt" % lines)
    if os.path.exists(path):
        return path
    state = 0x9E3779B97F4A7C15
    mask = (1 << 64) - 1
    fractions = [".0", ".0", ".0", ".5", ".25", ".125", ".75", ".0"]
    x = 300.0
    out = []
    with open(path + ".part", "w") as f:
        for _ in range(lines):
            state = (state * 6364136223846793005 + 1442695040888963407) & mask
            r = state >> 33
            digits = 6 + r % 11
            out.append("%.*g\t%d%s\n" % (digits, x, r % 100000, fractions[(r >> 20) & 7]))
            x -= 1e-5
            if len(out) >= 100000:
                f.write("".join(out))
                out = []
        f.write("".join(out))
    os.rename(path + ".part", path)
    return path


def spectrum_file(points):
    """A spectrum-like series of `points` lines for the drawing jobs."""
    path = os.path.join(TMP, "xyla-compare-series-%d.txt" % points)
    if not os.path.exists(path):
        import math
        with open(path + ".part", "w") as f:
            for i in range(points):
                x = i / points * 100.0
                f.write("%.6f\t%.6f\n" % (x, math.sin(x * 3.0) * 50 + 100 * math.exp(-((x - 40) ** 2) / 20) + (i * 7919 % 101) / 10))
        os.rename(path + ".part", path)
    return path


def run_headless():
    """Runs every later process without a display, as the batch unit of work does."""
    for name in ("DISPLAY", "WAYLAND_DISPLAY"):
        os.environ.pop(name, None)


def run_once(cmd, cwd):
    """Wall time of one run, or None (after saying why) when the command fails."""
    start = time.perf_counter()
    done = subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        print("  failed (%d): %s\n  %s" % (done.returncode, " ".join(cmd), done.stderr.decode(errors="replace")[:300]))
        return None
    return elapsed


def timed_pair(ours, theirs, runs, cwd):
    """Runs the two commands alternately, `runs` times each, so that both see the same
    load; answers the two lists of wall times (the second None without a command)."""
    mine, other = [], [] if theirs else None
    for _ in range(runs):
        t = run_once(ours, cwd)
        if t is None:
            return None, None
        mine.append(t)
        if theirs:
            t = run_once(theirs, cwd)
            if t is None:
                theirs, other = None, None
            else:
                other.append(t)
    return mine, other


def have_python(module):
    return subprocess.run(["/usr/bin/python3", "-c", "import " + module], capture_output=True).returncode == 0


def write(path, text):
    with open(path, "w") as f:
        f.write(text)
    return path


def jobs(xyla, work):
    """(name, our command, other program's name, its command or None)."""
    env_py = "/usr/bin/python3"
    big = big_file(10_000_000)
    series = spectrum_file(1_000_000)
    fityk = shutil.which("cfityk")
    out = []
    out.append(("start-up", [xyla, "-q"], "cfityk", [fityk, "-n", "-q", "-c", "quit"] if fityk else None))
    out.append(("import 1e7 lines", [xyla, "-i", big, "-q"], "numpy.loadtxt",
                [env_py, "-c", "import numpy,sys; numpy.loadtxt(sys.argv[1])", big] if have_python("numpy") else None))
    out.append(("README main job", [xyla, "-i", SPECTRUM, "-m", os.path.join(DEMO, "c1s_fit.mac"), "-f",
                                     os.path.join(work, "c1s"), "-q"], None, None))
    fit_mac = write(os.path.join(work, "fit.mac"),
                    "warn 0\nshirleybg 296 1870 274 1885 0\n"
                    "fitrow 1 GL 282.1~0.5 900~ 1.2~ 0.3 '' 1\n"
                    "fitrow 2 GL 284.5~0.7 150~ 1.2~ 0.3 '' 1\n"
                    "fitrow 3 GL 286.2~1 60~ 1.2~ 0.3 '' 1\nsetcurrent 1\nfit\n")
    fityk_script = write(os.path.join(work, "fit.fit"),
                         "@0 < '%s'\n@0: A = a and x > 278 and x < 292\n"
                         "guess Gaussian(center=282.1)\nguess Gaussian(center=284.5)\n"
                         "guess Gaussian(center=286.2)\nfit\n" % SPECTRUM)
    out.append(("three-peak batch fit", [xyla, "-i", SPECTRUM, "-m", fit_mac, "-q"], "cfityk",
                [fityk, "-n", "-q", fityk_script] if fityk else None))
    # Drawing every point against the default drawing of the same file (the ratio is the
    # default's time over alldraw's: 0.83 or more is within 1.2 times the default).
    for points in (1_000_000, 10_000_000):
        data = spectrum_file(points)
        macs = []
        for flag in (0, 1):
            macs.append(write(os.path.join(work, "every%d.mac" % flag),
                              ("alldraw 1\n" if flag else "") +
                              "savepng '%s' 72\n" % os.path.join(work, "every%d.png" % flag)))
        out.append(("%.0e points PNG, alldraw" % points, [xyla, "-i", data, "-m", macs[1], "-q"],
                    "the default drawing", [xyla, "-i", data, "-m", macs[0], "-q"]))
    for flag, name in ((0, "1e6 points PNG"), (1, "1e6 points PNG, alldraw")):
        mac = write(os.path.join(work, "draw%d.mac" % flag),
                    ("alldraw 1\n" if flag else "") + "savepng '%s' 72\n" % os.path.join(work, "draw%d.png" % flag))
        mpl = write(os.path.join(work, "draw.py"),
                    "import sys, numpy, matplotlib\nmatplotlib.use('Agg')\n"
                    "matplotlib.rcParams['path.simplify'] = False\n"
                    "import matplotlib.pyplot as plt\n"
                    "d = numpy.loadtxt(sys.argv[1])\nfig = plt.figure(figsize=(800/72, 600/72), dpi=72)\n"
                    "plt.plot(d[:, 0], d[:, 1], lw=1)\nfig.savefig(sys.argv[2])\n")
        out.append((name, [xyla, "-i", series, "-m", mac, "-q"], "matplotlib (no simplification)",
                    [env_py, mpl, series, os.path.join(work, "mpl.png")] if have_python("matplotlib") else None))
    return out


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--xyla", default=os.path.join(ROOT, "build", "bin", "xyla"))
    p.add_argument("--runs", type=int, default=11)
    p.add_argument("--only", nargs="*", help="run only the jobs whose name contains one of these words")
    a = p.parse_args()
    xyla = os.path.abspath(a.xyla)
    run_headless()
    with tempfile.TemporaryDirectory(prefix="xyla-compare-") as work:
        os.environ["XYLA_SETTINGS"] = os.path.join(work, "settings.ini")
        print("load average at the start: %.2f %.2f %.2f" % os.getloadavg())
        print("%-30s %12s   %-34s %12s %8s" % ("job", "xyla median", "other (run alternately)", "median", "ratio"))
        for name, ours, other, theirs in jobs(xyla, work):
            if a.only and not any(w in name for w in a.only):
                continue
            mine, rest = timed_pair(ours, theirs, a.runs, work)
            if not mine:
                continue
            m = statistics.median(mine)
            line = "%-30s %9.1f ms" % (name, m * 1e3)
            if rest:
                t = statistics.median(rest)
                line += "   %-34s %9.1f ms %7.2fx" % (other, t * 1e3, t / m)
            print(line + "   (xyla %.1f-%.1f ms)" % (min(mine) * 1e3, max(mine) * 1e3), flush=True)
        print("load average at the end: %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
