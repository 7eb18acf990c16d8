#include "input/input_file.hpp"

#include <string>

#include "input/bounds.hpp"
#include "input/drives.hpp"
#include "input/input_error.hpp"
#include "input/rows.hpp"
#include "io/output.hpp"
#include "matrix/print.hpp"

namespace lsde {

InputFile readInputFile(TextBuffer& text, std::uint64_t memoryBytes, bool echo) {
  const ScopedOutput quiet(echo ? outputStream() : nullptr);
  if (text.empty()) throw InputError(0, "the file is empty");
  const long long lines = countLines(text);  // before any line end is cut
  Cursor cursor(text);
  InputFile in;
  in.n = readSize(cursor);
  printText(std::to_string(in.n) + "\n");
  requireFileHolds(in.n, lines, text.size());
  requireMatricesFit(in.n, memoryBytes);

  in.m = getMatrix(in.n, in.n, cursor);
  in.c = getMatrix(in.n, in.n, cursor);
  in.k = getMatrix(in.n, in.n, cursor);
  printMat(in.m, in.n, in.n);
  printMat(in.c, in.n, in.n);
  printMat(in.k, in.n, in.n);
  in.drives = getDrives(cursor, in.n, memoryBytes);
  in.positions = getRow(cursor, in.n);
  in.velocities = getRow(cursor, in.n);
  return in;
}

Model toModel(InputFile&& in) {
  return Model{in.n, DenseMatrices{std::move(in.m), std::move(in.c), std::move(in.k)},
               std::move(in.drives), std::move(in.positions), std::move(in.velocities)};
}

}  // namespace lsde
