#include "list/sort.hpp"

#include <cstdint>
#include <cstdio>

namespace lsde {
namespace {

template <typename Key>
Key keyOf(const Node* node) {
  return *static_cast<const Key*>(node->data);
}

// Iterative, so that merging long lists costs no stack. An empty side yields the other list.
template <typename Key>
Node* merge(Node* first, Node* second) {
  Node* head = nullptr;
  Node** tail = &head;
  while (first != nullptr && second != nullptr) {
    // Only a strictly greater first key lets the second list go ahead: ties and NaN keep order.
    Node*& taken = keyOf<Key>(first) > keyOf<Key>(second) ? second : first;
    *tail = taken;
    tail = &taken->next;
    taken = taken->next;
  }
  *tail = first != nullptr ? first : second;
  return head;
}

// Recursion depth is log2 of the length; the earlier half is merged as the first list.
template <typename Key>
Node* mergeSort(Node* head) {
  if (head == nullptr || head->next == nullptr) return head;
  Node* second = mergeSort<Key>(split(head));
  Node* first = mergeSort<Key>(head);
  return merge<Key>(first, second);
}

void printElement(int32_t value) {
  std::printf("%d ", value);
}
void printElement(float value) {
  std::printf("%f ", static_cast<double>(value));
}
void printElement(double value) {
  std::printf("%lf ", value);
}

template <typename Key>
void printAll(const Node* head) {
  for (; head != nullptr; head = head->next) printElement(keyOf<Key>(head));
}

}  // namespace

Node* split(Node* head) {
  if (head == nullptr) return nullptr;
  Node* slow = head;
  Node* fast = head->next;
  while (fast != nullptr) {
    fast = fast->next;
    if (fast != nullptr) {
      fast = fast->next;
      slow = slow->next;
    }
  }
  Node* second = slow->next;
  slow->next = nullptr;
  return second;
}

Node* mergeInt(Node* first, Node* second) {
  return merge<int32_t>(first, second);
}
Node* mergeFloat(Node* first, Node* second) {
  return merge<float>(first, second);
}
Node* mergeDouble(Node* first, Node* second) {
  return merge<double>(first, second);
}

Node* mergeSortInt(Node* head) {
  return mergeSort<int32_t>(head);
}
Node* mergeSortFloat(Node* head) {
  return mergeSort<float>(head);
}
Node* mergeSortDouble(Node* head) {
  return mergeSort<double>(head);
}

void printAllInt(const Node* head) {
  printAll<int32_t>(head);
}
void printAllFloat(const Node* head) {
  printAll<float>(head);
}
void printAllDouble(const Node* head) {
  printAll<double>(head);
}

}  // namespace lsde
