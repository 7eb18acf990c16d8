#include "quadrature/rules.hpp"

namespace lsde {

std::vector<double> milne(const Integrand& f, int n, double x0, double h) {
  return openIntegrateFunction(kMilnePattern, f, kMilnePattern.size(), n, h, x0);
}

std::vector<double> simpson(const Integrand& f, int n, double x0, double h) {
  return closedIntegrateFunction(kSimpsonPattern, kSimpsonEndWeight, f, kSimpsonPattern.size(), n,
                                 h, x0);
}

std::vector<double> boole(const Integrand& f, int n, double x0, double h) {
  return closedIntegrateFunction(kBoolePattern, kBooleEndWeight, f, kBoolePattern.size(), n, h, x0);
}

std::vector<double> doubleBoole(const Integrand& f, int n, double x0, double h) {
  const std::vector<double> once = boole(f, n, x0, h);
  return closedIntegrate(kBoolePattern, kBooleEndWeight, once, kBoolePattern.size(), n, h);
}

std::vector<double> verlet(const Integrand& f, int n, double x0, double h) {
  const std::vector<double> once = closedIntegrateFunction(kVerletFirstPattern, kVerletEndWeight, f,
                                                           kVerletFirstPattern.size(), n, h, x0);
  return closedIntegrate(kVerletSecondPattern, kVerletEndWeight, once, kVerletSecondPattern.size(),
                         n, h);
}

}  // namespace lsde
