#!/usr/bin/env python3
"""Writes the Matrix Market files in data/ with scipy.io.mmwrite, so that the tests read files
as scipy writes them: its own header, comment and number formats, and values with long decimal
expansions (0.1, 1/3). Run: python3 tests/models/make_scipy_files.py (needs scipy; Debian: python3-scipy).
"""
import pathlib

import numpy as np
import scipy.io
import scipy.sparse

data = pathlib.Path(__file__).resolve().parent / "data"
data.mkdir(exist_ok=True)

# A chain's stiffness: symmetric, so the file holds only the lower triangle.
stiffness = np.array([[2.0, -1.0, 0.0, 0.0],
                      [-1.0, 2.0, -1.0, 0.0],
                      [0.0, -1.0, 2.0, 0.1],
                      [0.0, 0.0, 0.1, 1.0 / 3.0]])
scipy.io.mmwrite(data / "symmetric.mtx", scipy.sparse.coo_matrix(stiffness), symmetry="symmetric")

# A dense unsymmetric matrix: the array format lists it column by column.
dense = np.array([[1.0, 2.0, 3.0],
                  [4.0, 0.0, -6.0],
                  [7.0, 1e-300, 0.1]])
scipy.io.mmwrite(data / "array.mtx", dense, symmetry="general")

# Initial states as a dense column and as a sparse one (its zero is not written).
scipy.io.mmwrite(data / "vector_array.mtx", np.array([[0.1], [-2.5], [1.0 / 3.0]]),
                 symmetry="general")
scipy.io.mmwrite(data / "vector_coordinate.mtx",
                 scipy.sparse.coo_matrix(np.array([[0.1], [0.0], [1.0 / 3.0]])), symmetry="general")
