#!/usr/bin/python3
"""Whole-process fits of large spectra: xyla beside an lmfit script.

Writes spectra of 10^5 and 10^6 points with three and ten Gauss-Lorentz peaks (m = 0.3)
and noise into $TMPDIR (or /tmp; kept for later runs), then fits each with both programs
from the same starting values (position, height and width free, the mixing fixed),
alternating the two processes so that both see the same load, and prints the median wall
times, their ratio (lmfit's time over ours) and the machine's load average. The lmfit
script reads the file with numpy.loadtxt and fits the same line shape written in numpy.
It needs Debian's python3-lmfit (a tool for measuring only, no dependency).

    bench/compare_fits.py [--xyla build/bin/xyla] [--runs 5] [--only 1e5x3 ...] [--show]

--show prints both programs' fitted values once per job before timing, to check that
they reach the same minimum.
"""
import argparse
import math
import os
import statistics
import subprocess
import sys
import tempfile
import time

from compare_processes import run_headless

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TMP = os.environ.get("TMPDIR", "/tmp")
MIXING = 0.3


def true_peaks(count):
    """(position, height, width) of `count` peaks spread over 280 .. 300 eV."""
    return [(281.0 + 18.0 * (k + 0.5) / count, 1000.0 - 600.0 * k / max(count - 1, 1), 0.8 + 0.05 * (k % 4))
            for k in range(count)]


def start_values(count):
    """The starting values both programs get: a little off the true ones."""
    return [(x0 + 0.05, h * 0.9, w * 1.15) for x0, h, w in true_peaks(count)]


def galo(x, x0, h, w, m):
    u = 2.0 * (x - x0) / w
    return h * math.exp(-m * u * u) / (1.0 + (1.0 - m) * u * u)


def spectrum(points, count):
    """The spectrum file: X from 280 to 300 eV, the peaks with uniform noise of +-10
    from a fixed generator."""
    path = os.path.join(TMP, "xyla-fits-%d-%d.txt" % (points, count))
    if os.path.exists(path):
        return path
    peaks = true_peaks(count)
    state = 0x9E3779B97F4A7C15
    mask = (1 << 64) - 1
    lines = []
    with open(path + ".part", "w") as f:
        for i in range(points):
            x = 280.0 + 20.0 * i / (points - 1)
            y = 0.0
            for x0, h, w in peaks:
                if abs(x - x0) < 40 * w:
                    y += galo(x, x0, h, w, MIXING)
            state = (state * 6364136223846793005 + 1442695040888963407) & mask
            y += 20.0 * ((state >> 11) / 9007199254740992.0 - 0.5)
            lines.append("%.6f\t%.4f\n" % (x, y))
            if len(lines) >= 100000:
                f.write("".join(lines))
                lines = []
        f.write("".join(lines))
    os.rename(path + ".part", path)
    return path


def xyla_macro(work, count, show):
    """Our fit: one GL row per peak with A, B and C free and D fixed."""
    rows = "".join("fitrow %d GL %.6g~ %.6g~ %.6g~ %g\n" % (k + 1, x0, h, w, MIXING)
                   for k, (x0, h, w) in enumerate(start_values(count)))
    text = "warn 0\nsetcurrent 0\n" + rows + "fit\n"
    if show:
        text += "print 'xyla iterations ' fititer ' rms ' fitrms \\n\n"
        for k in range(count):
            text += "print 'peak %d ' fitA%d ' ' fitB%d ' ' fitC%d \\n\n" % (k + 1, k + 1, k + 1, k + 1)
    path = os.path.join(work, "fit%d%s.mac" % (count, "-show" if show else ""))
    with open(path, "w") as f:
        f.write(text)
    return path


LMFIT_SCRIPT = r'''
import sys
import numpy as np
import lmfit

def galo(x, x0, h, w, m):
    u = 2.0 * (x - x0) / w
    return h * np.exp(-m * u * u) / (1.0 + (1.0 - m) * u * u)

data = np.loadtxt(sys.argv[1])
x, y = data[:, 0], data[:, 1]
show = sys.argv[3] == "show"
starts = [tuple(map(float, s.split(","))) for s in sys.argv[4:]]
model = None
params = lmfit.Parameters()
for k, (x0, h, w) in enumerate(starts):
    m = lmfit.Model(galo, prefix="p%d_" % k)
    model = m if model is None else model + m
    params.add("p%d_x0" % k, value=x0)
    params.add("p%d_h" % k, value=h)
    params.add("p%d_w" % k, value=w)
    params.add("p%d_m" % k, value=float(sys.argv[2]), vary=False)
result = model.fit(y, params, x=x)
if show:
    print("lmfit evaluations", result.nfev, "rms", np.sqrt(np.mean(result.residual ** 2)))
    for k in range(len(starts)):
        p = result.params
        print("peak %d %.6g %.6g %.6g" % (k + 1, p["p%d_x0" % k].value, p["p%d_h" % k].value, p["p%d_w" % k].value))
'''


def lmfit_command(work, data, count, show):
    path = os.path.join(work, "lmfit-fit.py")
    with open(path, "w") as f:
        f.write(LMFIT_SCRIPT)
    return ["/usr/bin/python3", path, data, str(MIXING), "show" if show else "quiet"] + ["%r,%r,%r" % s for s in start_values(count)]


def run_once(cmd, cwd):
    start = time.perf_counter()
    done = subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (done.returncode, " ".join(cmd), done.stderr.decode(errors="replace")[:500]))
    return elapsed


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--xyla", default=os.path.join(ROOT, "build", "bin", "xyla"))
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--only", nargs="*", help="jobs to run, named POINTSxPEAKS (1e5x3, 1e5x10, 1e6x3, 1e6x10)")
    p.add_argument("--show", action="store_true", help="print both programs' fitted values first")
    a = p.parse_args()
    xyla = os.path.abspath(a.xyla)
    run_headless()
    jobs = [(n, c) for n in (100_000, 1_000_000) for c in (3, 10)]
    with tempfile.TemporaryDirectory(prefix="xyla-fits-") as work:
        os.environ["XYLA_SETTINGS"] = os.path.join(work, "settings.ini")
        print("load average at the start: %.2f %.2f %.2f" % os.getloadavg())
        print("%-8s %12s %12s %8s   %s" % ("job", "xyla median", "lmfit median", "ratio", "xyla range / lmfit range"))
        for points, count in jobs:
            name = "%.0ex%d" % (points, count)
            name = name.replace("e+0", "e")
            if a.only and name not in a.only:
                continue
            data = spectrum(points, count)
            ours = [xyla, "-i", data, "-m", xyla_macro(work, count, False), "-q"]
            theirs = lmfit_command(work, data, count, False)
            if a.show:
                subprocess.run([xyla, "-i", data, "-m", xyla_macro(work, count, True), "-q"], cwd=work)
                subprocess.run(lmfit_command(work, data, count, True), cwd=work)
            mine, other = [], []
            for _ in range(a.runs):
                mine.append(run_once(ours, work))
                other.append(run_once(theirs, work))
            m, t = statistics.median(mine), statistics.median(other)
            print("%-8s %9.0f ms %9.0f ms %7.2fx   %.0f-%.0f / %.0f-%.0f ms" %
                  (name, m * 1e3, t * 1e3, t / m, min(mine) * 1e3, max(mine) * 1e3, min(other) * 1e3,
                   max(other) * 1e3), flush=True)
        print("load average at the end: %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
