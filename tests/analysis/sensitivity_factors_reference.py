#!/usr/bin/python3
"""Checks the built-in sensitivity factors against the photo-ionisation cross sections of
xraylib (Debian package python3-xraylib), relative to C 1s, for Al Ka and Mg Ka.

xraylib's partial cross section of a spin-orbit sub-shell j comes out (2j+1)/2 times
smaller than the tabulated line (the same factor for every element and both photon
energies), so each sub-shell is scaled by it. Prints one line per factor and fails when
any differs by more than the tolerance.
Usage: sensitivity_factors_reference.py xps_line_data.cpp [tolerance]
"""
import re
import sys

import xraylib as xrl

PHOTON_KEV = (1.4866, 1.2536)  # Al Ka, Mg Ka
SUBSHELLS = {  # level: (xraylib sub-shell, (2j+1)/2)
    "1s": [(xrl.K_SHELL, 1)],
    "2s": [(xrl.L1_SHELL, 1)],
    "2p": [(xrl.L2_SHELL, 1), (xrl.L3_SHELL, 2)],
    "2p3/2": [(xrl.L3_SHELL, 2)],
    "3d": [(xrl.M4_SHELL, 2), (xrl.M5_SHELL, 3)],
    "3d5/2": [(xrl.M5_SHELL, 3)],
    "4f": [(xrl.N6_SHELL, 3), (xrl.N7_SHELL, 4)],
    "4f7/2": [(xrl.N7_SHELL, 4)],
}


def cross_section(symbol, level, kev):
    z = xrl.SymbolToAtomicNumber(symbol)
    return sum(xrl.CSb_Photo_Partial(z, shell, kev) * f for shell, f in SUBSHELLS[level])


def main():
    source = open(sys.argv[1], encoding="utf-8").read()
    tolerance = float(sys.argv[2]) if len(sys.argv) > 2 else 0.005
    table = source[source.index("kSensitivity[] = {"):]
    table = table[: table.index("};")]
    entries = re.findall(r'\{"(\w+) (\w+(?:/\d)?)", ([0-9.]+), ([0-9.]+)\}', table)
    if len(entries) < 10:
        print("sensitivity table not found")
        return 1
    carbon = [cross_section("C", "1s", kev) for kev in PHOTON_KEV]
    bad = 0
    for symbol, level, *factors in entries:
        line = f"{symbol} {level:6}"
        for kev, c, factor in zip(PHOTON_KEV, carbon, map(float, factors)):
            reference = cross_section(symbol, level, kev) / c
            off = factor / reference - 1.0
            flag = "" if abs(off) <= tolerance else "  <-- differs"
            bad += bool(flag)
            line += f"  {factor:8.4g} vs {reference:8.4g} ({100 * off:+5.1f} %){flag}"
        print(line)
    print(f"{len(entries)} lines, {bad} factors off by more than {100 * tolerance:g} %")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
