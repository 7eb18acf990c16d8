#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "list/sort.hpp"

namespace lsde {
namespace {

TEST(List, InsertsAndRemovesAtBothEndsAndReleasesAMillionNodesWithoutRecursion) {
  int e[3] = {1, 2, 3};
  List list, big;
  insertRear(list.handle(), &e[1]);  // into an empty list
  insertFront(list.handle(), &e[0]);
  insertRear(list.handle(), &e[2]);
  EXPECT_EQ(std::tuple(getFront(list.head), getRear(list.head)), std::tuple(&e[0], &e[2]));
  EXPECT_EQ(removeFront(list.handle()), &e[0]);
  EXPECT_EQ(removeRear(list.handle()), &e[2]);  // of two nodes the first stays
  EXPECT_EQ(removeRear(list.handle()), &e[1]);  // of one node none
  EXPECT_EQ(removeFront(list.handle()), nullptr);
  EXPECT_EQ(removeRear(list.handle()), nullptr);
  EXPECT_EQ(removeFront(createNode(&e[0])->handle()), &e[0]);
  for (int i = 0; i < 1'000'000; ++i) insertFront(big.handle(), nullptr);  // released in a loop
}

using Order = std::vector<std::size_t>;

// A list over its own keys; order() names its nodes by input position, checking node identity.
template <typename Key>
struct Chain {
  explicit Chain(std::vector<Key> values) : keys(std::move(values)) {
    Node* tail = nullptr;
    for (Key& key : keys) nodes.push_back(tail = insertAfterTail(list.handle(), tail, &key));
  }
  Order order() const {
    Order out;
    for (const Node* n = list.head; n != nullptr && out.size() <= nodes.size(); n = n->next)
      out.push_back(std::find(nodes.begin(), nodes.end(), n) - nodes.begin());
    return out;
  }
  Order sortedBy(Node* (*sort)(Node*)) { return list.head = sort(list.head), order(); }
  std::string printedBy(void (*print)(const Node*)) const {
    testing::internal::CaptureStdout();
    print(list.head);
    return testing::internal::GetCapturedStdout();
  }
  std::vector<Key> keys;
  List list;
  std::vector<Node*> nodes;
};

// Ties, −0 and 0 among them, keep their order; NaN keys, false both ways, keep every node once.
template <typename Key>
void expectStableAscendingSort(Node* (*merge)(Node*, Node*), Node* (*sort)(Node*)) {
  std::mt19937 random(20240607);
  for (std::size_t length : {0, 1, 2, 3, 5, 8, 13, 32, 33, 257, 1000}) {
    std::vector<Key> keys(length);
    for (Key& key : keys) key = static_cast<Key>(random() % 10) * (random() % 2 ? 1 : -1);
    Order expected = Chain<Key>(keys).order();  // 0, 1, 2, …
    std::ranges::stable_sort(expected, {}, [&](std::size_t i) { return keys[i]; });
    EXPECT_EQ(Chain<Key>(keys).sortedBy(sort), expected) << length;
  }
  Node node{};  // merging with an empty list gives the other list
  EXPECT_EQ(std::tuple(merge(&node, nullptr), merge(nullptr, &node), merge(nullptr, nullptr)),
            std::tuple(&node, &node, nullptr));
  if constexpr (std::is_floating_point_v<Key>) {
    EXPECT_EQ(Chain<Key>({NAN, 3, 1, NAN, 2, 0, NAN, -1}).sortedBy(sort),
              (Order{0, 5, 2, 4, 1, 3, 6, 7}));
  }
}

TEST(Sort, SplitsInHalvesSortsStablyAscendingForEveryKeyTypeAndPrints) {
  EXPECT_EQ(split(nullptr), nullptr);
  for (std::size_t length = 1; length <= 7; ++length) {  // the first half holds ceil(L/2) nodes
    Chain<int32_t> chain{std::vector<int32_t>(length)};
    Node* second = split(chain.list.head);
    EXPECT_EQ(second, length > 1 ? chain.nodes[(length + 1) / 2] : nullptr);
    EXPECT_EQ(std::exchange(chain.nodes[(length - 1) / 2]->next, second), nullptr);  // rejoined
  }
  expectStableAscendingSort<int32_t>(mergeInt, mergeSortInt);
  expectStableAscendingSort<float>(mergeFloat, mergeSortFloat);
  expectStableAscendingSort<double>(mergeDouble, mergeSortDouble);
  EXPECT_EQ(Chain<int32_t>({3, -5, INT32_MIN}).printedBy(printAllInt), "3 -5 -2147483648 ");
  EXPECT_EQ(Chain<double>({-0.0, 2.5}).printedBy(printAllDouble), "-0.000000 2.500000 ");
  EXPECT_EQ(Chain<float>({-2.25f, 0.1f, 1e30f}).printedBy(printAllFloat),
            Chain<double>({-2.25, 0.1f, 1e30f}).printedBy(printAllDouble));
}

}  // namespace
}  // namespace lsde
