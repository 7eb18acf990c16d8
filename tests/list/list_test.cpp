#include <new>
#include <type_traits>

#include "list/sort.hpp"
#include "support.hpp"

namespace lsde {
namespace {

long liveBlocks = 0;  // from operator new: a node that outlives its list shows in any build

std::vector<void*> elements(const Node* head) {
  std::vector<void*> out;
  for (; head != nullptr; head = head->next) out.push_back(head->data);
  return out;
}

// Lists of every length up to five, built at either end and emptied from either end.
TEST(List, BothEndsOfListsOfEveryLengthAndNoNodeOutlivesItsList) {
  int e[5] = {};
  const long before = liveBlocks;
  for (int length = 0; length <= 5; ++length) {
    std::vector<void*> forward, fromRear, fromFront;
    List rear, front;  // both hold e[0], …, e[length − 1]
    for (int i = 0; i < length; ++i) {
      insertRear(rear.handle(), &e[i]);
      insertFront(front.handle(), &e[length - 1 - i]);
      forward.push_back(&e[i]);
    }
    void* const last = length > 0 ? forward.back() : nullptr;
    EXPECT_EQ(std::tuple(elements(rear.head), elements(front.head), getRear(rear.head),
                         getRear(front.head), getFront(front.head)),
              std::tuple(forward, forward, last, last, getFront(rear.head)));
    while (void* data = removeRear(rear.handle())) fromRear.insert(fromRear.begin(), data);
    while (void* data = removeFront(front.handle())) fromFront.push_back(data);
    EXPECT_EQ(std::tuple(fromRear, fromFront, rear.head, front.head),
              std::tuple(forward, forward, nullptr, nullptr));
  }
  {
    List owner, moved;  // move-assigning over a list that owns nodes releases them
    insertFront(owner.handle(), &e[0]);
    insertFront(moved.handle(), &e[1]);
    moved = std::move(owner);
    const List taken(std::move(moved));
    EXPECT_EQ(std::tuple(getRear(taken.head), owner.head, moved.head),
              std::tuple(&e[0], nullptr, nullptr));
    List big;  // released in a loop, not by recursion
    for (int i = 0; i < 1'000'000; ++i) insertFront(big.handle(), nullptr);
  }
  EXPECT_EQ(removeFront(createNode(&e[0])->handle()), &e[0]);
  EXPECT_EQ(liveBlocks, before);
}

// A list over its own keys; its order names the nodes by input position (node identity).
template <typename Key>
struct Chain {
  explicit Chain(std::vector<Key> values) : keys(std::move(values)) {
    Node* tail = nullptr;
    for (Key& key : keys) nodes.push_back(tail = insertAfterTail(list.handle(), tail, &key));
  }
  std::vector<std::size_t> sortedBy(Node* (*sort)(Node*)) {
    std::vector<std::size_t> out;
    for (Node* n = list.head = sort(list.head); n != nullptr && out.size() <= keys.size();
         n = n->next)
      out.push_back(std::find(nodes.begin(), nodes.end(), n) - nodes.begin());
    return out;
  }
  std::string printedBy(void (*print)(const Node*)) const {
    return test::printed([&] { print(list.head); });
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
    std::vector<std::size_t> expected(length);
    for (std::size_t i = 0; i < length; ++i)
      expected[i] = i, keys[i] = static_cast<Key>(random() % 10) * (random() % 2 ? 1 : -1);
    std::ranges::stable_sort(expected, {}, [&](std::size_t i) { return keys[i]; });
    EXPECT_EQ(Chain<Key>(keys).sortedBy(sort), expected) << length;
  }
  Node node{};  // merging with an empty list gives the other list
  EXPECT_EQ(merge(merge(&node, nullptr), merge(nullptr, nullptr)), &node);
  if constexpr (std::is_floating_point_v<Key>) {
    EXPECT_EQ(Chain<Key>({NAN, 3, 1, NAN, 2, 0, NAN, -1}).sortedBy(sort),
              (std::vector<std::size_t>{0, 5, 2, 4, 1, 3, 6, 7}));
  }
}

TEST(Sort, SplitsInHalvesSortsStablyAscendingForEveryKeyTypeAndPrints) {
  EXPECT_EQ(split(nullptr), nullptr);
  for (std::size_t length = 1; length <= 7; ++length) {  // the first half holds ceil(L/2) nodes
    Chain<int> chain{std::vector<int>(length)};
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

#ifndef __SANITIZE_ADDRESS__  // there the sanitizer's own allocator checks for leaks
void* operator new(std::size_t size) {
  if (void* block = std::malloc(size == 0 ? 1 : size)) return ++lsde::liveBlocks, block;
  throw std::bad_alloc();
}
// g++ takes the free of a block that operator new returned for a mismatch; here it is the pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept {
  lsde::liveBlocks -= block != nullptr;
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  operator delete(block);
}
#endif
