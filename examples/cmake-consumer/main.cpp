// Calls into every subsystem of an installed lsde; exits non-zero when a result is off.
#include <lsde/lsde.hpp>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "consumer: %s is wrong\n", what);
    ++failures;
  }
}

}  // namespace

int main() {
  // Quadrature: running Simpson sums of a constant (scale ((n − 1)·h)/n = 1 here).
  const double level = 1.0;
  auto constant = [level](double) { return level; };
  const std::vector<double> running = lsde::simpson(constant, 3, 0.0, 1.5);
  check(running.size() == 3 && std::abs(running.back() - 8.0 / 3.0) < 1e-15, "simpson");
  check(lsde::ipow(2.0, 10) == 1024.0, "ipow");
  const double disc = lsde::two_dimensional_integrate_function(
      [](double x, double y) { return x * x + y * y <= 1.0 ? 1 : 0; }, -1, 1, -1, 1,
      [](double, double) { return 1.0; }, 0.5);
  check(disc == 2.75, "two_dimensional_integrate_function");

  // Dynamics: a 2-DOF spring chain, undriven.
  const lsde::Matrix m{{1, 0}, {0, 1}}, c(2, 2), k{{2, -1}, {-1, 2}};
  const std::vector<double> x0{1, 0}, v0{0, 0};
  const std::optional<lsde::Trajectory> t = lsde::LSDE(m, c, k, 2, x0, v0, 0.01, 1000);
  check(t && t->cols() == 1000 && (*t)[0][0] == 1.0, "LSDE");
  // The same run streamed: each step's state handed over, nothing stored.
  double last = 0;
  const lsde::SimulationStatus status = lsde::simulate(
      m, c, k, 2, x0, v0, {}, lsde::RunSettings{},
      [&last](int, std::span<const double> x, std::span<const double>) { last = x[0]; });
  check(status == lsde::SimulationStatus::Completed && t && last == (*t)[0][999], "simulate");

  // Matrix algebra and lists.
  check(lsde::det(lsde::Matrix{{1, 2}, {3, 4}}, 2) == -2.0, "det");
  int keys[] = {3, 1, 2};
  lsde::List list;
  for (int& key : keys) lsde::insertRear(list.handle(), &key);
  list.head = lsde::mergeSortInt(list.head);
  check(*static_cast<int*>(lsde::getFront(list.head)) == 1, "mergeSortInt");

  std::puts(failures == 0 ? "consumer: ok" : "consumer: FAILED");
  return failures == 0 ? 0 : 1;
}
