#include "modal/structure.hpp"

#include <cfloat>

#include "io/format.hpp"

#include "modal/storage.hpp"

namespace lsde {

std::unique_ptr<Structure> structureOf(const Model& model) {
  if (const auto* dense = std::get_if<DenseMatrices>(&model.matrices))
    return modal_detail::denseStructure(*dense, model.n);
  return modal_detail::sparseStructure(std::get<SparseMatrices>(model.matrices), model.n);
}

namespace modal_detail {

std::string shortestText(double value) {
  char text[kMaxShortestChars];
  return {text, formatShortest(value, text)};
}

std::string singularDynamicStiffness(double omega, bool notNumbers) {
  return "the dynamic stiffness K − Ω²·M + iΩ·C " +
         std::string(notNumbers ? "holds entries that are not numbers" : "is singular") +
         " at Ω = " + shortestText(omega);
}

bool singularForSize(double smallestToLargest, int n) {
  return !(smallestToLargest > static_cast<double>(n) * DBL_EPSILON);
}

}  // namespace modal_detail
}  // namespace lsde
