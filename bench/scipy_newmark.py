#!/usr/bin/env python3
"""The same run as lsde's sparse models, written the way a SciPy user would: M·x'' + C·x' + K·x
= F(t) read from Matrix Market files, integrated with Newmark's average-acceleration method
(one sparse LU factorization of K + 2/dt·C + 4/dt²·M with splu, one solve a step), or with the
two-rate step for comparison. The CSV on standard output (or -o FILE) has lsde's layout: the
header t,x<d>…,v<d>… for the chosen dofs, then one row per reported step j at t = (j + 1)·dt,
numbers in the shortest text that reads back as the same double. Timings go to standard error.

    scipy_newmark.py --mass M.mtx --stiffness K.mtx [--damping C.mtx | --rayleigh A,B]
                     [--x0 X0.mtx] [--v0 V0.mtx] [--harmonic LOADS.csv] [--dofs 1,5,9]
                     [--dt 0.01] [--steps 1000] [--every 10] [--method newmark|two-rate]
                     [-o FILE]
"""
import argparse
import csv
import decimal
import math
import sys
import time

import numpy as np
import scipy.io
import scipy.sparse as sp
import scipy.sparse.linalg as sla


def shortest(value):
    """The shortest round-trip text, fixed or scientific, whichever is shorter (fixed on a tie),
    as C++'s std::to_chars writes it: 0.1, 1e-05, 100, 1e+16, -0, inf, nan."""
    if math.isnan(value):
        return "-nan" if math.copysign(1.0, value) < 0 else "nan"
    if math.isinf(value):
        return "inf" if value > 0 else "-inf"
    sign = "-" if math.copysign(1.0, value) < 0 else ""
    if value == 0:
        return sign + "0"
    # repr holds the shortest round-trip digits; only their layout differs.
    _, digits, exponent = decimal.Decimal(repr(abs(value))).normalize().as_tuple()
    digits = "".join(map(str, digits))
    point = len(digits) + exponent  # the value is 0.<digits> · 10^point
    if exponent >= 0:
        fixed = "%.0f" % abs(value)  # an integer: to_chars spells out its exact digits
    elif point > 0:
        fixed = digits[:point] + "." + digits[point:]
    else:
        fixed = "0." + "0" * -point + digits
    power = point - 1
    scientific = (digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
                  + ("e-" if power < 0 else "e+") + "%02d" % abs(power))
    return sign + (fixed if len(fixed) <= len(scientific) else scientific)


def read_vector(path, n):
    data = scipy.io.mmread(path)
    vector = np.asarray(data.todense() if sp.issparse(data) else data, dtype=float).ravel()
    if vector.size != n:
        sys.exit(f"scipy_newmark: {path}: {vector.size} values, expected {n}")
    return vector


def read_loads(path, n):
    """The harmonic components as arrays, dofs 0-based; none without a file."""
    rows = []
    if path:
        with open(path, newline="") as f:
            lines = csv.reader(f)
            if [h.strip() for h in next(lines, [])] != ["dof", "amplitude", "omega", "phase"]:
                sys.exit(f"scipy_newmark: {path}:1: expected the header dof,amplitude,omega,phase")
            for number, row in enumerate(lines, start=2):
                dof = int(row[0])
                if not 1 <= dof <= n:
                    sys.exit(f"scipy_newmark: {path}:{number}: dof {dof} outside 1..{n}")
                rows.append((dof - 1, float(row[1]), float(row[2]), float(row[3])))
    dofs, amplitudes, omegas, phases = zip(*rows) if rows else ((), (), (), ())
    return (np.array(dofs, dtype=np.int64), np.array(amplitudes, dtype=float),
            np.array(omegas, dtype=float), np.array(phases, dtype=float))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--mass", required=True)
    parser.add_argument("--stiffness", required=True)
    parser.add_argument("--damping")
    parser.add_argument("--rayleigh", help="A,B: C = A·M + B·K")
    parser.add_argument("--x0")
    parser.add_argument("--v0")
    parser.add_argument("--harmonic")
    parser.add_argument("--dofs", help="1-based coordinates to report, e.g. 1,500000")
    parser.add_argument("--dt", type=float, default=0.01)
    parser.add_argument("--steps", type=int, default=1000)
    parser.add_argument("--every", type=int, default=10)
    parser.add_argument("--method", choices=["newmark", "two-rate"], default="newmark")
    parser.add_argument("-o", "--output")
    args = parser.parse_args()

    start = time.perf_counter()
    M = scipy.io.mmread(args.mass).tocsr()
    K = scipy.io.mmread(args.stiffness).tocsr()
    n = M.shape[0]
    if args.damping:
        C = scipy.io.mmread(args.damping).tocsr()
    elif args.rayleigh:
        alpha, beta = (float(s) for s in args.rayleigh.split(","))
        C = (alpha * M + beta * K).tocsr()
    else:
        C = sp.csr_matrix((n, n))
    x = read_vector(args.x0, n) if args.x0 else np.zeros(n)
    v = read_vector(args.v0, n) if args.v0 else np.zeros(n)
    load_dofs, amplitudes, omegas, phases = read_loads(args.harmonic, n)
    for name, matrix in (("stiffness", K), ("damping", C)):
        if matrix.shape != M.shape:
            sys.exit(f"scipy_newmark: the {name} matrix is {matrix.shape}, the mass {M.shape}")
    report = (np.array([int(s) - 1 for s in args.dofs.split(",")]) if args.dofs
              else np.arange(n))
    if report.size and not (0 <= report.min() and report.max() < n):
        sys.exit(f"scipy_newmark: --dofs: every coordinate must lie in 1..{n}")
    read_seconds = time.perf_counter() - start

    def force(t):
        f = np.zeros(n)
        np.add.at(f, load_dofs, amplitudes * np.cos(omegas * t + phases))
        return f

    out = open(args.output, "w") if args.output else sys.stdout
    labels = [str(d + 1) for d in report]
    out.write(",".join(["t"] + ["x" + s for s in labels] + ["v" + s for s in labels]) + "\n")

    def write_row(j, x, v):
        t = float(j + 1) * args.dt
        values = [t] + x[report].tolist() + v[report].tolist()
        out.write(",".join(shortest(value) for value in values) + "\n")

    dt = args.dt
    start = time.perf_counter()
    if args.method == "newmark":
        c0, c1, c2 = 4 / (dt * dt), 4 / dt, 2 / dt
        half = dt / 2
        khat = (K + c2 * C + c0 * M).tocsc()
        lu = sla.splu(khat)
        factor_seconds = time.perf_counter() - start
        a = sla.splu(M.tocsc()).solve(force(0.0) - C @ v - K @ x)
        start = time.perf_counter()
        for j in range(args.steps):
            t = float(j + 1) * dt
            rhs = force(t) + M @ (c0 * x + c1 * v + a) + C @ (c2 * x + v)
            x_next = lu.solve(rhs)
            a_next = c0 * (x_next - x) - c1 * v - a
            v = v + half * (a + a_next)
            x, a = x_next, a_next
            if j % args.every == 0:
                write_row(j, x, v)
        factor_note = (f"K + 2/dt·C + 4/dt²·M formed and factored (splu) {factor_seconds:.3f} s, "
                       f"nnz(L+U) = {lu.L.nnz + lu.U.nnz}")
    else:
        lu = sla.splu(M.tocsc())
        factor_seconds = time.perf_counter() - start
        start = time.perf_counter()
        for j in range(args.steps):
            a = lu.solve(force(float(j) * dt) - K @ x - C @ v)
            v = a * dt + v
            if j % 2 == 1:
                x = 2.0 * (v * dt) + x
            if j % args.every == 0:
                write_row(j, x, v)
        factor_note = f"M factored (splu) {factor_seconds:.3f} s"
    step_seconds = time.perf_counter() - start
    if out is not sys.stdout:
        out.close()
    print(f"scipy_newmark: n = {n}, read {read_seconds:.3f} s, {factor_note}, "
          f"{args.steps} steps {step_seconds:.3f} s ({args.steps / step_seconds:.1f} steps/s)",
          file=sys.stderr)


if __name__ == "__main__":
    main()
