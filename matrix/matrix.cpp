#include "matrix/matrix.hpp"

#include <algorithm>

#include "matrix/parallel.hpp"

namespace lsde {

Matrix::Matrix(int rows, int cols)
    : rows_(std::max(rows, 0)),
      cols_(std::max(cols, 0)),
      data_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_)) {
  // A new page's first touch costs about a multiply-add per entry: the threads take it in
  // bands of rows, as they later fill them.
  forEachRange(rows_, data_.size(), 1, [this](int begin, int end) {
    std::fill(data_.data() + static_cast<std::size_t>(begin) * cols_,
              data_.data() + static_cast<std::size_t>(end) * cols_, 0.0);
  });
}

Matrix::Matrix(std::initializer_list<std::initializer_list<double>> rows) {
  std::size_t widest = 0;
  for (const auto& row : rows) widest = std::max(widest, row.size());
  rows_ = static_cast<int>(rows.size());
  cols_ = static_cast<int>(widest);
  data_.assign(rows.size() * widest, 0.0);
  double* out = data_.data();
  for (const auto& row : rows) {
    std::copy(row.begin(), row.end(), out);
    out += widest;
  }
}

}  // namespace lsde
