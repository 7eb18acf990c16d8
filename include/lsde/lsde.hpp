#pragma once

// Everything the lsde library offers, in namespace lsde.

#include "dynamics/driven.hpp"          // printDrivenLSDE, driven_LSDE, driven_linear_integrate
#include "dynamics/driver.hpp"          // Driver, alloc_driver, add_component
#include "dynamics/free.hpp"            // printLSDE, LSDE, linear_integrate
#include "dynamics/loads.hpp"           // LoadSeries, GroundRecord, GroundMotion
#include "dynamics/model.hpp"           // Model, DenseMatrices, SparseMatrices
#include "dynamics/model_force.hpp"     // ModelForce: a model's F(t)
#include "dynamics/newmark.hpp"         // newmark_integrate
#include "dynamics/response_peaks.hpp"  // responseSpectrum, logSpacedPeriods
#include "dynamics/simulate.hpp"        // RunSettings, simulate: a streamed run
#include "dynamics/sparse_methods.hpp"  // simulateSparse, MassSolver
#include "dynamics/system.hpp"          // SystemMatrix, the trajectory report
#include "dynamics/verlet.hpp"          // multiVerlet, AccelerationFunction, Trajectory
#include "input/bounds.hpp"             // the size, byte and memory checks of an input file
#include "input/cursor.hpp"             // loadText, Cursor, takeLine
#include "input/drives.hpp"             // readDrives, getDrives
#include "input/input_error.hpp"        // InputError
#include "input/input_file.hpp"         // InputFile, readInputFile
#include "input/rows.hpp"               // getMatrix, getRow, readSize
#include "io/output.hpp"                // OutputBuffer, outputStream, WriteError
#include "io/trajectory_writers.hpp"    // ReportWriter, CsvWriter
#include "list/list.hpp"                // Node, List, insertFront, insertRear, ...
#include "list/sort.hpp"            // split, mergeSortInt/Float/Double, printAllInt/Float/Double
#include "loads/ground_record.hpp"  // readGroundRecord: PEER .AT2 or CSV t,a
#include "loads/load_series.hpp"    // readLoadSeries: CSV t,DOF,…
#include "matrix/algebra.hpp"       // det, adjoint, alloc_inverse_matrix, products
#include "matrix/lu.hpp"            // LuDecomposition, luAdjugate
#include "matrix/matrix.hpp"        // Matrix
#include "matrix/parallel.hpp"      // ThreadScope, threadCount, availableCores
#include "matrix/print.hpp"         // printMat, printArrayOfdoubles

#include "modal/frequency_response.hpp"  // frequencyResponse, steadyState, frequencySweep, ...
#include "modal/modes.hpp"               // naturalModes, NaturalModes, Mode
#include "modal/structure.hpp"           // Structure, structureOf, ModalError

#include "models/file_error.hpp"        // FileError: an input problem naming its file
#include "models/harmonic_loads.hpp"    // readHarmonicLoads
#include "models/matrix_market.hpp"     // readMatrixMarketMatrix, readMatrixMarketVector
#include "models/model_files.hpp"       // ModelFiles, readModelFiles
#include "quadrature/grid.hpp"          // ipow, n_dimensional_/two_dimensional_integrate_function
#include "quadrature/newton_cotes.hpp"  // open/closed engines
#include "quadrature/rules.hpp"         // milne, simpson, boole, doubleBoole, verlet
#include "sparse/csr_matrix.hpp"        // CsrMatrix, weightedSum
#include "sparse/sparse_factor.hpp"     // SparseFactor, LdltFactors
