#include "list/sort.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace lsde {
namespace {

using Order = std::vector<std::size_t>;

// A list over its own keys that remembers which node held which input position, so that
// results are checked by node identity rather than by value.
template <typename Key>
class Chain {
 public:
  explicit Chain(std::vector<Key> keys) : keys_(std::move(keys)) {
    Node* tail = nullptr;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
      tail = insertAfterTail(list_.handle(), tail, &keys_[i]);
      nodes_.push_back(tail);
      positions_[tail] = i;
    }
  }

  Node*& head() { return list_.head; }
  Node* node(std::size_t i) const { return nodes_[i]; }

  // Input positions of the nodes met from head; fails on a foreign node, a changed element
  // or a cycle.
  Order order(const Node* from) const {
    Order out;
    for (; from != nullptr && out.size() <= nodes_.size(); from = from->next) {
      std::size_t position = positions_.at(from);
      EXPECT_EQ(from->data, &keys_[position]);
      out.push_back(position);
    }
    return out;
  }
  Order order() const { return order(list_.head); }

 private:
  std::vector<Key> keys_;
  List list_;
  std::vector<Node*> nodes_;
  std::unordered_map<const Node*, std::size_t> positions_;
};

Order iota(std::size_t first, std::size_t last) {
  Order out(last - first);
  std::iota(out.begin(), out.end(), first);
  return out;
}

template <typename Key>
Order stableOrder(const std::vector<Key>& keys) {
  Order out = iota(0, keys.size());
  std::stable_sort(out.begin(), out.end(),
                   [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  return out;
}

TEST(Split, FirstHalfKeepsTheCeilingAndBothHalvesKeepTheirOrder) {
  for (std::size_t length = 1; length <= 7; ++length) {
    SCOPED_TRACE(length);
    Chain<int32_t> chain(std::vector<int32_t>(length, 0));
    std::size_t kept = (length + 1) / 2;
    Node* second = split(chain.head());
    EXPECT_EQ(second, kept < length ? chain.node(kept) : nullptr);
    EXPECT_EQ(chain.order(), iota(0, kept));
    EXPECT_EQ(chain.order(second), iota(kept, length));
    chain.node(kept - 1)->next = second;  // hand the second half back to the owner
  }
}

TEST(Split, NullHeadGivesNull) {
  EXPECT_EQ(split(nullptr), nullptr);
}

template <typename Key>
struct Family;
template <>
struct Family<int32_t> {
  static constexpr auto merge = mergeInt;
  static constexpr auto sort = mergeSortInt;
};
template <>
struct Family<float> {
  static constexpr auto merge = mergeFloat;
  static constexpr auto sort = mergeSortFloat;
};
template <>
struct Family<double> {
  static constexpr auto merge = mergeDouble;
  static constexpr auto sort = mergeSortDouble;
};

template <typename Key>
class MergeSort : public testing::Test {
 protected:
  static Order sorted(std::vector<Key> keys) {
    Chain<Key> chain(std::move(keys));
    chain.head() = Family<Key>::sort(chain.head());
    return chain.order();
  }
};
using KeyTypes = testing::Types<int32_t, float, double>;
TYPED_TEST_SUITE(MergeSort, KeyTypes);

TYPED_TEST(MergeSort, EmptyAndSingleNodeListsComeBackUnchanged) {
  EXPECT_EQ(Family<TypeParam>::sort(nullptr), nullptr);
  Chain<TypeParam> chain({5});
  EXPECT_EQ(Family<TypeParam>::sort(chain.head()), chain.node(0));
  EXPECT_EQ(chain.node(0)->next, nullptr);
}

TYPED_TEST(MergeSort, SortsAscending) {
  EXPECT_EQ(this->sorted({3, 1, 2}), (Order{1, 2, 0}));
  EXPECT_EQ(this->sorted({5, 4, 3, 2, 1}), (Order{4, 3, 2, 1, 0}));
}

TYPED_TEST(MergeSort, EqualKeysKeepTheirInputOrder) {
  EXPECT_EQ(this->sorted({7, 7}), (Order{0, 1}));
  EXPECT_EQ(this->sorted({2, 1, 2, 1, 2}), (Order{1, 3, 0, 2, 4}));
}

TYPED_TEST(MergeSort, MatchesStableSortOnRandomLists) {
  std::mt19937 random(20240607);
  std::uniform_int_distribution<int> value(-9, 9);  // narrow, so that ties are common
  std::vector<std::size_t> lengths = iota(0, 70);
  lengths.insert(lengths.end(), {255, 256, 257, 1000});
  for (std::size_t length : lengths) {
    SCOPED_TRACE(length);
    std::vector<TypeParam> keys(length);
    for (TypeParam& key : keys) key = static_cast<TypeParam>(value(random));
    EXPECT_EQ(this->sorted(keys), stableOrder(keys));
  }
}

TYPED_TEST(MergeSort, MergeTakesTheSecondListOnlyOnAStrictlyGreaterFirstKey) {
  // First list {1, 2} (nodes 0, 1), second list {1, 2, 3} (nodes 2, 3, 4).
  Chain<TypeParam> chain({1, 2, 1, 2, 3});
  chain.node(1)->next = nullptr;
  chain.head() = Family<TypeParam>::merge(chain.node(0), chain.node(2));
  EXPECT_EQ(chain.order(), (Order{0, 2, 1, 3, 4}));
}

TYPED_TEST(MergeSort, MergeWithAnEmptyListReturnsTheOther) {
  Chain<TypeParam> chain({1, 2});
  EXPECT_EQ(Family<TypeParam>::merge(chain.head(), nullptr), chain.node(0));
  EXPECT_EQ(Family<TypeParam>::merge(nullptr, chain.head()), chain.node(0));
  EXPECT_EQ(Family<TypeParam>::merge(nullptr, nullptr), nullptr);
  EXPECT_EQ(chain.order(), (Order{0, 1}));
}

TEST(MergeSortInt, ComparesSigned) {
  Chain<int32_t> chain(
      {3, -5, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), 0});
  chain.head() = mergeSortInt(chain.head());
  EXPECT_EQ(chain.order(), (Order{3, 1, 4, 0, 2}));
}

TEST(MergeSortInt, LongListSortsWithoutExhaustingTheStack) {
  constexpr int32_t kLength = 1 << 20;
  std::vector<int32_t> keys(kLength);
  std::iota(keys.rbegin(), keys.rend(), 0);
  Chain<int32_t> chain(keys);
  chain.head() = mergeSortInt(chain.head());
  Order reversed = iota(0, kLength);
  std::reverse(reversed.begin(), reversed.end());
  EXPECT_EQ(chain.order(), reversed);
}

template <typename Real>
class MergeSortReal : public MergeSort<Real> {};
using RealTypes = testing::Types<float, double>;
TYPED_TEST_SUITE(MergeSortReal, RealTypes);

TYPED_TEST(MergeSortReal, SignedZerosAreEqualKeysAndKeepTheirOrder) {
  constexpr TypeParam kZero = 0, kNegZero = -kZero;
  EXPECT_EQ(this->sorted({kZero, kNegZero}), (Order{0, 1}));
  EXPECT_EQ(this->sorted({kNegZero, kZero}), (Order{0, 1}));
  EXPECT_EQ(this->sorted({1, kZero, -1, kNegZero}), (Order{2, 1, 3, 0}));
}

TYPED_TEST(MergeSortReal, NanKeysFollowTheSplitAndMergeRules) {
  constexpr TypeParam kNan = std::numeric_limits<TypeParam>::quiet_NaN();
  // {2, 1} sorts to {1, 2}, {NaN, 0} stays as is; no comparison with NaN is true.
  EXPECT_EQ(this->sorted({2, 1, kNan, 0}), (Order{1, 0, 2, 3}));
}

TYPED_TEST(MergeSortReal, NanKeysLoseNoNodeAndDuplicateNone) {
  std::mt19937 random(7);
  std::uniform_real_distribution<TypeParam> value(-1, 1);
  std::bernoulli_distribution isNan(0.2);
  for (std::size_t length : {2, 3, 10, 33, 500}) {
    std::vector<TypeParam> keys(length);
    for (TypeParam& key : keys)
      key = isNan(random) ? std::numeric_limits<TypeParam>::quiet_NaN() : value(random);
    Order order = this->sorted(keys);
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, iota(0, length));
  }
}

template <typename Key>
std::string printed(void (*print)(const Node*), std::vector<Key> keys) {
  Chain<Key> chain(std::move(keys));
  testing::internal::CaptureStdout();
  print(chain.head());
  return testing::internal::GetCapturedStdout();
}

TEST(PrintAll, FormatsEachElementFollowedByOneBlank) {
  EXPECT_EQ(printed<int32_t>(printAllInt, {1, 2, 3}), "1 2 3 ");
  EXPECT_EQ(printed<int32_t>(printAllInt, {-5, std::numeric_limits<int32_t>::min()}),
            "-5 -2147483648 ");
  EXPECT_EQ(printed<float>(printAllFloat, {0.5f, -2.25f}), "0.500000 -2.250000 ");
  EXPECT_EQ(printed<double>(printAllDouble, {-0.0, 1e-7, 2.5}), "-0.000000 0.000000 2.500000 ");
}

TEST(PrintAll, EmptyListPrintsNothing) {
  EXPECT_EQ(printed<int32_t>(printAllInt, {}), "");
  EXPECT_EQ(printed<float>(printAllFloat, {}), "");
  EXPECT_EQ(printed<double>(printAllDouble, {}), "");
}

TEST(PrintAll, FloatPrintsLikeTheDoubleOfTheSameValue) {
  std::vector<float> floats{0.1f, 1.0f / 3, -1e-3f, std::numeric_limits<float>::max()};
  std::vector<double> doubles(floats.begin(), floats.end());
  EXPECT_EQ(printed(printAllFloat, floats), printed(printAllDouble, doubles));
  EXPECT_EQ(printed<float>(printAllFloat, {0.1f}), "0.100000 ");
}

}  // namespace
}  // namespace lsde
