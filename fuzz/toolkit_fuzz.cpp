// Fuzz target: the numerical toolkit with fuzzed arguments: Newton–Cotes quadrature, grid
// integration, ipow and the list merge sorts. std::invalid_argument is the defined answer to
// invalid arguments. A crash, a sanitizer report, valid arguments turned down, invalid ones
// accepted, a wrong number of callback calls, or a sort that loses, duplicates or reorders
// equal nodes is a fault.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <span>
#include <stdexcept>
#include <vector>

#include "fuzz_bytes.hpp"
#include "list/list.hpp"
#include "list/sort.hpp"
#include "quadrature/grid.hpp"
#include "quadrature/newton_cotes.hpp"
#include "quadrature/rules.hpp"

namespace {

using lsde::Node;
using lsde::fuzz::FuzzBytes;

// Bounds on the work of one input; larger valid arguments are legitimate but slow.
constexpr int kMaxSamples = 4096;
constexpr double kMaxGridPoints = 1 << 16;
constexpr int kMaxListLength = 1024;

[[noreturn]] void fault(const char* what) {
  std::fprintf(stderr, "toolkit fuzz: %s\n", what);
  std::abort();
}

enum class Arguments { kValid, kInvalid, kEither };

// Runs call and checks its outcome against what the arguments allow; true when it returned.
template <class Call>
bool returnsAsAllowed(Arguments arguments, Call&& call) {
  try {
    call();
  } catch (const std::invalid_argument&) {
    if (arguments == Arguments::kValid) fault("valid arguments turned down");
    return false;
  }
  if (arguments == Arguments::kInvalid) fault("invalid arguments accepted");
  return true;
}

void fuzzEngine(FuzzBytes& in) {
  const int engine = in.intIn(0, 2);
  const int count = in.intIn(-1, 6);
  std::vector<double> pattern(static_cast<std::size_t>(in.intIn(0, 6)));
  for (double& w : pattern) w = in.real();
  const double endWeight = in.real();
  const int n = in.intIn(-2, kMaxSamples);
  const double h = in.real();
  const double x0 = in.real();
  std::vector<double> samples(static_cast<std::size_t>(std::max(n - in.intIn(0, 1), 0)));
  for (double& s : samples) s = in.real();

  int calls = 0;
  const lsde::Integrand f = [&](double x) {
    ++calls;
    return 0.5 * x + 1.0;
  };
  bool valid = count >= 1 && pattern.size() >= static_cast<std::size_t>(count);
  if (engine == 2) valid = valid && samples.size() >= static_cast<std::size_t>(std::max(n, 0));
  // With no samples there is nothing to read, and turning the call down is as sound as an
  // empty result.
  const Arguments arguments = valid    ? Arguments::kValid
                              : n <= 0 ? Arguments::kEither
                                       : Arguments::kInvalid;
  std::vector<double> result;
  const bool returned = returnsAsAllowed(arguments, [&] {
    if (engine == 0) result = lsde::openIntegrateFunction(pattern, f, count, n, h, x0);
    if (engine == 1) result = lsde::closedIntegrateFunction(pattern, endWeight, f, count, n, h, x0);
    if (engine == 2) result = lsde::closedIntegrate(pattern, endWeight, samples, count, n, h);
  });
  const auto expected = static_cast<std::size_t>(std::max(n, 0));
  if (returned && result.size() != expected) fault("engine result of the wrong length");
  if (returned && engine < 2 && calls != std::max(n, 0)) fault("integrand not called n times");
}

void fuzzRule(FuzzBytes& in) {
  using Rule = std::vector<double> (*)(const lsde::Integrand&, int, double, double);
  constexpr Rule kRules[] = {lsde::milne, lsde::simpson, lsde::boole, lsde::doubleBoole,
                             lsde::verlet};
  const Rule rule = kRules[in.intIn(0, 4)];
  const int n = in.intIn(-2, kMaxSamples);
  const double x0 = in.real();
  const double h = in.real();
  const double slope = in.real();
  int calls = 0;
  const lsde::Integrand f = [&](double x) {
    ++calls;
    return slope * x;
  };
  const std::vector<double> result = rule(f, n, x0, h);
  if (result.size() != static_cast<std::size_t>(std::max(n, 0))) fault("rule result length");
  if (calls != std::max(n, 0)) fault("rule did not call the integrand exactly n times");
}

void fuzzIpow(FuzzBytes& in) {
  const double base = in.real();
  const int exponent = in.take<std::int32_t>();
  const double power = lsde::ipow(base, exponent);
  if (lsde::ipow(base, 0) != 1.0) fault("ipow(x, 0) is not 1");
  if (exponent == 1 && !(power == base || (std::isnan(power) && std::isnan(base))))
    fault("ipow(x, 1) is not x");
}

// Callback results cycle through a few fuzzed values, zeros and negatives included.
struct Responses {
  explicit Responses(FuzzBytes& in) {
    for (int& m : membership) m = in.take<std::int8_t>() % 3;
    for (double& v : value) v = in.real();
  }
  int membership[4];
  double value[4];
};

// The step count of one dimension as the grid takes it, when it is a valid 32-bit count.
bool stepCount(double lo, double hi, double h, double& count) {
  count = std::round((hi - lo) / h);
  return std::isfinite(count) && count >= INT32_MIN && count <= INT32_MAX;
}

void fuzzGrid(FuzzBytes& in) {
  const int dims = in.intIn(-1, 4);
  // Now and then one bound fewer than the dimensions.
  const int shortBy = in.take<std::uint8_t>() % 8 == 0 ? 1 : 0;
  const auto bounds = static_cast<std::size_t>(std::max(dims - shortBy, 0));
  std::vector<double> lo(bounds), hi(bounds);
  for (std::size_t k = 0; k < bounds; ++k) lo[k] = in.real(), hi[k] = in.real();
  const double h = in.real();
  const Responses responses(in);

  bool countsValid = dims >= 0 && bounds >= static_cast<std::size_t>(dims);
  bool empty = false;  // a count ≤ 0: no point at all
  double points = 1.0;
  for (std::size_t k = 0; k < bounds && countsValid; ++k) {
    double count = 0.0;
    countsValid = stepCount(lo[k], hi[k], h, count);
    empty = empty || count <= 0;
    points *= std::fabs(count);
  }
  Arguments arguments = countsValid ? Arguments::kValid : Arguments::kInvalid;
  if (countsValid && points > INT32_MAX)
    arguments = empty ? Arguments::kEither : Arguments::kInvalid;
  if (arguments == Arguments::kValid && !empty && points > kMaxGridPoints) return;

  long calls = 0;
  const auto membership = [&](std::span<const double> point) {
    if (point.size() != static_cast<std::size_t>(dims)) fault("point of the wrong dimension");
    return responses.membership[calls % 4];
  };
  const auto value = [&](std::span<const double>) { return responses.value[calls++ % 4]; };
  const bool returned = returnsAsAllowed(arguments, [&] {
    lsde::n_dimensional_integrate_function(dims, membership, lo, hi, value, h);
  });
  if (returned && calls != (empty ? 0.0 : points)) fault("grid visited the wrong number of points");
}

void fuzzPlane(FuzzBytes& in) {
  const double xl = in.real(), xu = in.real(), yl = in.real(), yu = in.real(), h = in.real();
  const Responses responses(in);
  double cx = 0.0, cy = 0.0;
  const bool valid = stepCount(xl, xu, h, cx) && stepCount(yl, yu, h, cy);
  const double points = cx > 0 && cy > 0 ? cx * cy : 0.0;
  if (valid && points > kMaxGridPoints) return;

  long tests = 0, inside = 0, values = 0;
  const auto membership = [&](double, double) {
    const int m = responses.membership[tests++ % 4];
    inside += m != 0;
    return m;
  };
  const auto value = [&](double, double) { return responses.value[values++ % 4]; };
  const bool returned = returnsAsAllowed(valid ? Arguments::kValid : Arguments::kInvalid, [&] {
    lsde::two_dimensional_integrate_function(membership, xl, xu, yl, yu, value, h);
  });
  if (returned && (tests != points || values != inside)) fault("plane grid callback counts");
}

// Walks a list of `length` nodes whose data point into keys and returns the key indices in
// list order; a lost, repeated or extra node is a fault.
template <class T>
std::vector<std::size_t> order(const Node* head, const std::vector<T>& keys) {
  std::vector<std::size_t> indices;
  std::vector<bool> seen(keys.size());
  for (; head != nullptr; head = head->next) {
    const auto index = static_cast<std::size_t>(static_cast<const T*>(head->data) - keys.data());
    if (index >= keys.size() || seen[index]) fault("sort repeated or invented a node");
    seen[index] = true;
    indices.push_back(index);
  }
  if (indices.size() != keys.size()) fault("sort lost a node");
  return indices;
}

template <class T>
void fuzzSort(FuzzBytes& in, Node* (*sort)(Node*), Node* (*merge)(Node*, Node*),
              void (*print)(const Node*)) {
  std::vector<T> keys(static_cast<std::size_t>(in.intIn(0, kMaxListLength)));
  for (T& key : keys) {
    // Mostly a few small keys, so that ties are common; otherwise any bit pattern, NaN included.
    key = in.take<std::uint8_t>() < 160 ? static_cast<T>(in.take<std::int8_t>() % 4) : in.take<T>();
  }
  lsde::List list;
  Node* tail = nullptr;
  for (T& key : keys) tail = lsde::insertAfterTail(list.handle(), tail, &key);

  list.head = sort(list.head);
  const std::vector<std::size_t> sorted = order(list.head, keys);
  bool hasNaN = false;
  if constexpr (!std::is_integral_v<T>) {
    hasNaN = std::any_of(keys.begin(), keys.end(), [](T k) { return std::isnan(k); });
  }
  if (!hasNaN) {
    std::vector<std::size_t> stable(keys.size());
    std::iota(stable.begin(), stable.end(), std::size_t{0});
    std::stable_sort(stable.begin(), stable.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    if (sorted != stable) fault("sort is not ascending and stable");
  }

  // Splitting a sorted list and merging the halves gives it back, node for node.
  Node* second = lsde::split(list.head);
  const std::size_t firstLength = (keys.size() + 1) / 2;
  std::size_t counted = 0;
  for (const Node* node = list.head; node != nullptr; node = node->next) ++counted;
  if (counted != firstLength) fault("split did not keep the first ceil(L/2) nodes");
  list.head = merge(list.head, second);
  const std::vector<std::size_t> merged = order(list.head, keys);
  if (!hasNaN && merged != sorted) fault("merging the halves of a sorted list changed it");
  print(list.head);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silenced = std::freopen("/dev/null", "w", stdout) != nullptr;
  if (!silenced) fault("cannot silence standard output");
  FuzzBytes in(data, size);
  switch (in.take<std::uint8_t>() % 8) {
    case 0:
      fuzzEngine(in);
      break;
    case 1:
      fuzzRule(in);
      break;
    case 2:
      fuzzIpow(in);
      break;
    case 3:
      fuzzGrid(in);
      break;
    case 4:
      fuzzPlane(in);
      break;
    case 5:
      fuzzSort<std::int32_t>(in, lsde::mergeSortInt, lsde::mergeInt, lsde::printAllInt);
      break;
    case 6:
      fuzzSort<float>(in, lsde::mergeSortFloat, lsde::mergeFloat, lsde::printAllFloat);
      break;
    default:
      fuzzSort<double>(in, lsde::mergeSortDouble, lsde::mergeDouble, lsde::printAllDouble);
  }
  return 0;
}
