#include "list/list.hpp"

namespace lsde {

void releaseList(Node*& head) noexcept {
  while (head != nullptr) {
    Node* next = head->next;
    delete head;
    head = next;
  }
}

List& List::operator=(List&& other) noexcept {
  if (this != &other) {
    releaseList(head);
    head = other.head;
    other.head = nullptr;
  }
  return *this;
}

std::unique_ptr<List> createNode(void* e) {
  auto cell = std::make_unique<List>();
  cell->head = new Node{e, nullptr};
  return cell;
}

void insertFront(Node** list, void* e) {
  *list = new Node{e, *list};
}

void* getFront(const Node* head) {
  return head == nullptr ? nullptr : head->data;
}

void* removeFront(Node** list) {
  Node* first = *list;
  if (first == nullptr) return nullptr;
  void* data = first->data;
  *list = first->next;
  delete first;
  return data;
}

void* removeRear(Node** list) {
  Node* node = *list;
  if (node == nullptr) return nullptr;
  if (node->next == nullptr) {
    void* data = node->data;
    delete node;
    *list = nullptr;
    return data;
  }
  while (node->next->next != nullptr) node = node->next;
  void* data = node->next->data;
  delete node->next;
  node->next = nullptr;
  return data;
}

void* getRear(const Node* head) {
  if (head == nullptr) return nullptr;
  while (head->next != nullptr) head = head->next;
  return head->data;
}

void insertRear(Node** list, void* e) {
  Node* tail = *list;
  if (tail != nullptr)
    while (tail->next != nullptr) tail = tail->next;
  insertAfterTail(list, tail, e);
}

Node* insertAfterTail(Node** list, Node* tail, void* e) {
  Node* node = new Node{e, nullptr};
  (tail == nullptr ? *list : tail->next) = node;
  return node;
}

}  // namespace lsde
