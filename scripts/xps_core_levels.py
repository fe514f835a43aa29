#!/usr/bin/python3
# Prints the core-level rows of src/analysis/xps_line_data.cpp from the electron binding
# energies of G. P. Williams (X-ray Data Booklet, Table 1-1), as carried by the Elam,
# Ravel and Sieber database of Debian's python3-xraydb. Run once by hand when the table
# is to be rebuilt; the build does not need it.
#
# Levels between 10 and 1400 eV are kept. The booklet gives gas-phase values (vacuum
# level) for the rare gases and for N, O and F; those are replaced by typical values of
# the solids (Fermi level) that photo-electron spectra show. Ranks order the lines of an
# element for survey labels: 1 the line analysts quantify, 2 strong, 3 weak.
import xraydb

SUBSHELL = {'K': '1s', 'L1': '2s', 'L2': '2p1/2', 'L3': '2p3/2', 'M1': '3s', 'M2': '3p1/2', 'M3': '3p3/2',
            'M4': '3d3/2', 'M5': '3d5/2', 'N1': '4s', 'N2': '4p1/2', 'N3': '4p3/2', 'N4': '4d3/2',
            'N5': '4d5/2', 'N6': '4f5/2', 'N7': '4f7/2', 'O1': '5s', 'O2': '5p1/2', 'O3': '5p3/2'}
SOLID = {('N', '1s'): 399.0, ('O', '1s'): 531.0, ('O', '2s'): 23.0, ('F', '1s'): 685.0, ('Ne', '1s'): 863.0,
         ('Ar', '2p3/2'): 241.9, ('Ar', '2p1/2'): 244.0, ('Ar', '2s'): 319.0}
SKIP = {'He', 'Kr', 'Xe', 'Rn'}


def main_levels(z):
    if z <= 12:
        return {'1s'}
    if z <= 30:
        return {'2p3/2'}
    if z <= 35:
        return {'3d5/2', '2p3/2'}
    if z <= 56:
        return {'3d5/2'}
    if z <= 71:
        return {'3d5/2'} if z <= 60 else {'4d5/2'}
    return {'4f7/2'}


def strong_levels(z):
    if z == 12:
        return {'2p3/2', '2s'}
    if z <= 30:
        return {'2p1/2', '2s'}
    if z <= 56:
        return {'3d3/2', '3p3/2', '3p1/2'}
    if z <= 71:
        return {'3d3/2', '4d5/2', '4d3/2'}
    return {'4f5/2', '4d5/2', '4d3/2'}


for z in range(3, 93):
    el = xraydb.atomic_symbol(z)
    if el in SKIP:
        continue
    rows = []
    for edge, data in xraydb.xray_edges(el).items():
        level = SUBSHELL.get(edge)
        if level is None:
            continue
        be = SOLID.get((el, level), data.energy)
        if not 10.0 <= be <= 1400.0 or (z <= 10 and level != '1s'):
            continue
        rank = 1 if level in main_levels(z) else 2 if level in strong_levels(z) else 3
        rows.append((be, level, rank))
    line = '   '
    for be, level, rank in sorted(rows, key=lambda r: r[0]):
        item = ' {%d, "%s", "%s", %.1f, %d},' % (z, el, level, be, rank)
        if len(line) + len(item) > 112:
            print(line)
            line = '   '
        line += item
    print(line)
