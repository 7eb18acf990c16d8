#include "list/list.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace lsde {
namespace {

std::vector<void*> elements(const Node* head) {
  std::vector<void*> out;
  for (; head != nullptr; head = head->next) out.push_back(head->data);
  return out;
}

class ListTest : public testing::Test {
 protected:
  int e1 = 1, e2 = 2, e3 = 3;
  List list;
};

TEST_F(ListTest, EmptyListGettersAndRemoversReturnNullAndChangeNothing) {
  EXPECT_EQ(getFront(list.head), nullptr);
  EXPECT_EQ(getRear(list.head), nullptr);
  EXPECT_EQ(removeFront(list.handle()), nullptr);
  EXPECT_EQ(removeRear(list.handle()), nullptr);
  EXPECT_EQ(list.head, nullptr);
}

TEST_F(ListTest, InsertRearKeepsInsertionOrder) {
  for (int* e : {&e1, &e2, &e3}) insertRear(list.handle(), e);
  EXPECT_EQ(elements(list.head), (std::vector<void*>{&e1, &e2, &e3}));
  EXPECT_EQ(getFront(list.head), &e1);
  EXPECT_EQ(getRear(list.head), &e3);
}

TEST_F(ListTest, InsertFrontReversesInsertionOrder) {
  insertFront(list.handle(), &e1);
  insertFront(list.handle(), &e2);
  EXPECT_EQ(getFront(list.head), &e2);
  EXPECT_EQ(getRear(list.head), &e1);
}

TEST_F(ListTest, RemoveRearOfOneNodeEmptiesTheList) {
  insertRear(list.handle(), &e1);
  EXPECT_EQ(removeRear(list.handle()), &e1);
  EXPECT_EQ(list.head, nullptr);
}

TEST_F(ListTest, RemoveRearOfTwoNodesLeavesTheFirst) {
  insertRear(list.handle(), &e1);
  insertRear(list.handle(), &e2);
  EXPECT_EQ(removeRear(list.handle()), &e2);
  EXPECT_EQ(elements(list.head), std::vector<void*>{&e1});
}

TEST_F(ListTest, RemoveFrontHandsBackElementsInOrder) {
  for (int* e : {&e1, &e2, &e3}) insertRear(list.handle(), e);
  EXPECT_EQ(removeFront(list.handle()), &e1);
  EXPECT_EQ(removeFront(list.handle()), &e2);
  EXPECT_EQ(removeFront(list.handle()), &e3);
  EXPECT_EQ(list.head, nullptr);
}

TEST_F(ListTest, StoredNullElementIsReturnedAsNull) {
  insertRear(list.handle(), nullptr);
  EXPECT_EQ(removeFront(list.handle()), nullptr);
  EXPECT_EQ(list.head, nullptr);
}

TEST_F(ListTest, InsertAfterTailAppendsInConstantTimeAndReturnsTheNewTail) {
  Node* tail = insertAfterTail(list.handle(), nullptr, &e1);
  EXPECT_EQ(list.head, tail);
  tail = insertAfterTail(list.handle(), tail, &e2);
  tail = insertAfterTail(list.handle(), tail, &e3);
  EXPECT_EQ(tail->data, &e3);
  EXPECT_EQ(tail->next, nullptr);
  EXPECT_EQ(elements(list.head), (std::vector<void*>{&e1, &e2, &e3}));
}

TEST(CreateNode, RemoveFrontThroughTheCellYieldsTheElementAndEmptiesIt) {
  int e = 7;
  auto cell = createNode(&e);
  EXPECT_EQ(getFront(cell->head), &e);
  EXPECT_EQ(removeFront(cell->handle()), &e);
  EXPECT_EQ(cell->head, nullptr);
}

TEST(ListOwnership, MoveTransfersTheNodes) {
  int e = 7;
  List source;
  insertRear(source.handle(), &e);
  List target = std::move(source);
  EXPECT_EQ(source.head, nullptr);
  EXPECT_EQ(getFront(target.head), &e);
  List other;
  insertRear(other.handle(), &e);
  other = std::move(target);
  EXPECT_EQ(elements(other.head), std::vector<void*>{&e});
}

// A recursive release would overflow the stack long before a million nodes.
constexpr int kLongLength = 1'000'000;

Node* buildLongList(int* element) {
  Node* head = nullptr;
  for (int i = 0; i < kLongLength; ++i) insertFront(&head, element);
  return head;
}

TEST(ListRelease, MillionNodesReleaseWithoutExhaustingTheStack) {
  int e = 0;
  {
    List list;
    list.head = buildLongList(&e);
  }
  Node* head = buildLongList(&e);
  releaseList(head);
  EXPECT_EQ(head, nullptr);
}

}  // namespace
}  // namespace lsde
