#pragma once

#include <memory>

namespace lsde {

/// One element of a singly linked list. The element behind `data` lives elsewhere and
/// belongs to whoever made it; the list owns only its nodes.
struct Node {
  void* data = nullptr;
  Node* next = nullptr;
};

/// Releases every node of the list designated by head, in a loop (no recursion, so a list of
/// any length is safe), and sets head to null. The elements are not touched.
void releaseList(Node*& head) noexcept;

/// Owner of a list's nodes: releases them when it goes out of scope. `handle()` is the list
/// handle (the address of the head pointer) that the changing operations take.
class List {
 public:
  List() = default;
  List(const List&) = delete;
  List& operator=(const List&) = delete;
  List(List&& other) noexcept : head(other.head) { other.head = nullptr; }
  List& operator=(List&& other) noexcept;
  ~List() { releaseList(head); }

  Node** handle() { return &head; }

  Node* head = nullptr;
};

/// A new list holding one node with element e; the returned cell owns it.
std::unique_ptr<List> createNode(void* e);

/// Prepends e; constant time.
void insertFront(Node** list, void* e);
/// The first element, or null for an empty list.
void* getFront(const Node* head);
/// Removes the first node and returns its element; null (and no change) for an empty list.
void* removeFront(Node** list);
/// Removes the last node and returns its element; null (and no change) for an empty list.
void* removeRear(Node** list);
/// The last element, or null for an empty list.
void* getRear(const Node* head);
/// Appends e. There is no tail pointer: each call walks the whole list.
void insertRear(Node** list, void* e);

/// Appends e after tail (the list's last node, or null when the list is empty) and returns
/// the new last node: insertRear for callers that keep their own tail, in constant time.
Node* insertAfterTail(Node** list, Node* tail, void* e);

}  // namespace lsde
