#include "dynamics/model_force.hpp"

#include <variant>

#include "matrix/algebra.hpp"

namespace lsde {

ModelForce::ModelForce(const Model& model) : model_(model), harmonic_(model.drives, model.n) {
  if (!model.ground) return;
  const std::vector<double>& direction = model.ground->direction;
  if (const auto* dense = std::get_if<DenseMatrices>(&model.matrices)) {
    groundMass_ = alloc_vector_matrix_multiply(dense->m, direction, model.n, model.n);
  } else {
    groundMass_ = std::get<SparseMatrices>(model.matrices).m.multiply(direction);
  }
}

bool ModelForce::none() const {
  return model_.drives.empty() && model_.series.empty() && !model_.ground;
}

void ModelForce::operator()(double t, std::span<double> force) const {
  harmonic_(t, force);
  for (const LoadSeries& series : model_.series) series.addTo(t, force);
  if (!model_.ground) return;
  const double acceleration = model_.ground->scale * model_.ground->record.at(t);
  for (std::size_t i = 0; i < groundMass_.size(); ++i)
    force[i] = force[i] - groundMass_[i] * acceleration;
}

}  // namespace lsde
