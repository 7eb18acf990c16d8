#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "list/sort.hpp"

namespace lsde {
namespace {

TEST(List, InsertsAndRemovesAtBothEnds) {
  int e[3] = {1, 2, 3};
  List rear, front;
  for (int& x : e) {
    insertRear(rear.handle(), &x);
    insertFront(front.handle(), &x);
  }
  EXPECT_EQ(getFront(front.head), &e[2]);
  for (int* x : {&e[2], &e[1], &e[0]}) EXPECT_EQ(removeFront(front.handle()), x);
  EXPECT_EQ(removeFront(front.handle()), nullptr);
  EXPECT_EQ(getRear(rear.head), &e[2]);
  EXPECT_EQ(removeRear(rear.handle()), &e[2]);
  EXPECT_EQ(removeRear(rear.handle()), &e[1]);  // of two nodes: the first one stays alone
  EXPECT_EQ(rear.head->next, nullptr);
  EXPECT_EQ(removeRear(rear.handle()), &e[0]);  // of one node: the list becomes empty
  EXPECT_EQ(rear.head, nullptr);
  EXPECT_EQ(removeRear(rear.handle()), nullptr);
  auto cell = createNode(&e[0]);
  EXPECT_EQ(removeFront(cell->handle()), &e[0]);
  EXPECT_EQ(cell->head, nullptr);
}

TEST(List, MillionNodesAreReleasedWithoutRecursion) {  // which would overflow the stack
  List list;
  for (int i = 0; i < 1'000'000; ++i) insertFront(list.handle(), nullptr);
}

using Order = std::vector<std::size_t>;

Order positions(std::size_t length) {
  Order out(length);
  std::iota(out.begin(), out.end(), 0);
  return out;
}

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

TEST(Split, KeepsTheFirstCeilingHalfAndGivesNullForNull) {
  EXPECT_EQ(split(nullptr), nullptr);
  for (std::size_t length = 1; length <= 7; ++length) {
    Chain<int32_t> chain{std::vector<int32_t>(length)};
    Node* second = split(chain.list.head);
    EXPECT_EQ(chain.order(), positions((length + 1) / 2));
    chain.nodes[(length - 1) / 2]->next = second;  // rejoined, the halves are the list again
    EXPECT_EQ(chain.order(), positions(length));
  }
}

// Ties, −0 and 0 among them, keep their order; NaN keys, false both ways, keep every node once.
template <typename Key>
void expectStableAscendingSort(Node* (*merge)(Node*, Node*), Node* (*sort)(Node*)) {
  std::mt19937 random(20240607);
  for (std::size_t length : {0, 1, 2, 3, 5, 8, 13, 32, 33, 257, 1000}) {
    std::vector<Key> keys(length);
    for (Key& key : keys) key = static_cast<Key>(random() % 10) * (random() % 2 ? 1 : -1);
    Order expected = positions(length);
    std::ranges::stable_sort(expected, {}, [&](std::size_t i) { return keys[i]; });
    EXPECT_EQ(Chain<Key>(keys).sortedBy(sort), expected) << length;
  }
  Chain<Key> chain({1, 2});
  EXPECT_EQ(merge(chain.list.head, nullptr), chain.list.head);
  EXPECT_EQ(merge(nullptr, chain.list.head), chain.list.head);
  EXPECT_EQ(merge(nullptr, nullptr), nullptr);
  if constexpr (!std::numeric_limits<Key>::is_integer) {
    const Key nan = std::numeric_limits<Key>::quiet_NaN();
    EXPECT_EQ(Chain<Key>({nan, 3, 1, nan, 2, 0, nan, -1}).sortedBy(sort),
              (Order{0, 5, 2, 4, 1, 3, 6, 7}));
  }
}

TEST(MergeSort, IsStableAndAscendingForEveryKeyType) {
  expectStableAscendingSort<int32_t>(mergeInt, mergeSortInt);
  expectStableAscendingSort<float>(mergeFloat, mergeSortFloat);
  expectStableAscendingSort<double>(mergeDouble, mergeSortDouble);
}

TEST(PrintAll, PrintsEachElementInItsFormatFollowedByOneBlank) {
  EXPECT_EQ(Chain<int32_t>({3, -5, INT32_MIN}).printedBy(printAllInt), "3 -5 -2147483648 ");
  EXPECT_EQ(Chain<double>({-0.0, 2.5}).printedBy(printAllDouble), "-0.000000 2.500000 ");
  EXPECT_EQ(Chain<float>({-2.25f, 0.1f, 1e30f}).printedBy(printAllFloat),
            Chain<double>({-2.25, 0.1f, 1e30f}).printedBy(printAllDouble));
}

}  // namespace
}  // namespace lsde
