#!/usr/bin/env python3
"""Writes fit_table.txt: jig points and the exact interpolating coefficients.

Each line: n, the n counts, the n references (as typed), then c0..c3 of the
polynomial through the points, computed in exact rational arithmetic from the
doubles the references parse to, and rounded once to the nearest double.
Run once; the output is committed.
"""
from fractions import Fraction

CASES = [
    ([100, 300], ["5.0", "10.0"]),
    ([300, 100], ["10.0", "5.0"]),
    ([282, 11000], ["2.7", "1.0"]),
    ([100, 200, 300], ["1", "4", "9"]),
    ([120, 2500, 4100], ["3.5", "6.25", "12.1"]),
    ([4100, 120, 2500], ["12.1", "3.5", "6.25"]),
    ([50, 1200, 5000, 9000], ["3.5", "6", "8.25", "12"]),
    ([1, 2, 3, 65535], ["0.1", "0.2", "0.4", "100"]),
    ([800, 1600, 2400, 3200], ["4", "6", "7", "-2.5"]),
]


def solve(xs, ys):
    n = len(xs)
    a = [[Fraction(x) ** j for j in range(n)] + [y] for x, y in zip(xs, ys)]
    for s in range(n):
        p = next(i for i in range(s, n) if a[i][s] != 0)
        a[s], a[p] = a[p], a[s]
        d = a[s][s]
        a[s] = [v / d for v in a[s]]
        for i in range(n):
            if i != s and a[i][s] != 0:
                f = a[i][s]
                a[i] = [vi - f * vs for vi, vs in zip(a[i], a[s])]
    return [a[i][n] for i in range(n)] + [Fraction(0)] * (4 - n)


with open("fit_table.txt", "w") as out:
    out.write("# n counts... references... c0 c1 c2 c3 (exact, rounded once)\n")
    for xs, refs in CASES:
        ys = [Fraction(float(r)) for r in refs]
        cs = solve(xs, ys)
        fields = [str(len(xs))] + [str(x) for x in xs] + refs + [repr(float(c)) for c in cs]
        out.write(" ".join(fields) + "\n")
