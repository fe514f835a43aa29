#!/usr/bin/python3
"""Whole-process batch fit: 1,000 spectra of 1201 points, three peaks, in one run.

Writes the spectra into $TMPDIR/xyla-fit-batch (or /tmp; kept for later runs): three
Gauss-Lorentz peaks (m = 0.3) on a step background, Poisson counts, heights and
positions varying from file to file. The model macro removes a converged Shirley
background and fits the first file; `xyla --fit-batch` then fits every file from that
result on all processors. Prints the wall and CPU times of each run (median of --runs),
the number of spectra fitted and the machine's load average. Target: under 10 s on two
cores.

    bench/fit_batch_speed.py [--xyla build/bin/xyla] [--files 1000] [--runs 3] [--threads n]
"""
import argparse
import math
import os
import random
import resource
import statistics
import subprocess
import sys
import time

from compare_processes import run_headless

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TMP = os.path.join(os.environ.get("TMPDIR", "/tmp"), "xyla-fit-batch")
POINTS = 1201
MODEL = """shirleyconv 281 295 5 0 0
setcurrent lastbuffer-1
fitrow 1 GL 285~0.5 900~ 1.2~ 0.3 '' 1
fitrow 2 GL 286.5~0.7 300~ 1+0 0.3 '' 1
fitrow 3 GL 289~1 100~ 1+0 0.3 '' 1
fit
"""


def gl(x, x0, h, w, m):
    """The fit's GL shape: a Gaussian share m and a Lorentzian share 1 - m, multiplied."""
    u = 2.0 * (x - x0) / w
    return h * math.exp(-m * u * u) / (1.0 + (1.0 - m) * u * u)


def write_spectra(count):
    os.makedirs(TMP, exist_ok=True)
    files = [os.path.join(TMP, "s%04d.txt" % i) for i in range(count)]
    if all(os.path.exists(f) for f in files):
        return files
    rng = random.Random(7)
    for i, path in enumerate(files):
        peaks = [(285.0 + rng.uniform(-0.2, 0.2), 1000 * rng.uniform(0.8, 1.2), 1.3, 0.3),
                 (286.6, 300 * rng.uniform(0.7, 1.3), 1.3, 0.3), (289.0, 120 * rng.uniform(0.5, 1.5), 1.3, 0.3)]
        lines = ["BE\tcounts"]
        net = [0.0] * POINTS
        xs = [280.0 + 16.0 * k / (POINTS - 1) for k in range(POINTS)]
        for k, x in enumerate(xs):
            net[k] = sum(gl(x, *p) for p in peaks)
        total, step, acc = sum(net), 150.0, 0.0
        for k, x in enumerate(xs):
            acc += net[k]
            mean = net[k] + 500.0 + step * acc / total
            # Poisson counts by the normal approximation (means of hundreds).
            lines.append("%.4f\t%d" % (x, max(0, round(rng.gauss(mean, math.sqrt(mean))))))
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")
    return files


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--xyla", default=os.path.join(ROOT, "build/bin/xyla"))
    ap.add_argument("--files", type=int, default=1000)
    ap.add_argument("--runs", type=int, default=3)
    args = ap.parse_args()
    run_headless()
    files = write_spectra(args.files)
    model = os.path.join(TMP, "model.mac")
    with open(model, "w") as f:
        f.write(MODEL)
    out = os.path.join(TMP, "results.csv")
    walls, cpus = [], []
    for _ in range(args.runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        done = subprocess.run([args.xyla, "--fit-batch", model, "-o", out, "-q"] + files, capture_output=True, text=True)
        walls.append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
        if done.returncode != 0:
            sys.exit("xyla failed: " + done.stderr[:500])
    print(done.stdout.strip())
    print("%d spectra of %d points: wall %.2f s (runs %s), CPU %.2f s; load %s" %
          (len(files), POINTS, statistics.median(walls), " ".join("%.2f" % w for w in walls),
           statistics.median(cpus), " ".join("%.2f" % l for l in os.getloadavg())))


if __name__ == "__main__":
    main()
