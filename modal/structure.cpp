#include "modal/structure.hpp"

#include <cstdio>

#include "modal/storage.hpp"

namespace lsde {

std::unique_ptr<Structure> structureOf(const Model& model) {
  if (const auto* dense = std::get_if<DenseMatrices>(&model.matrices))
    return modal_detail::denseStructure(*dense, model.n);
  return modal_detail::sparseStructure(std::get<SparseMatrices>(model.matrices), model.n);
}

namespace modal_detail {

double typicalEigenvalue(const Structure& s) {
  double k = 0.0, m = 0.0;
  for (int i = 0; i < s.size(); ++i) {
    k = k + s.entry(Part::Stiffness, i, i);
    m = m + s.entry(Part::Mass, i, i);
  }
  return k / m;
}

std::string numberText(double value) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%.6g", value);
  return {text, static_cast<std::size_t>(length)};
}

std::string singularDynamicStiffness(double omega, bool notNumbers) {
  return "the dynamic stiffness K − Ω²·M + iΩ·C " +
         std::string(notNumbers ? "holds entries that are not numbers" : "is singular") +
         " at Ω = " + numberText(omega);
}

}  // namespace modal_detail
}  // namespace lsde
