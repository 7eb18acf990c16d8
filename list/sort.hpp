#pragma once

#include "list/list.hpp"

namespace lsde {

// Stable ascending merge sorts over lists whose elements are all one number type. They only
// relink `next`: nothing is allocated or copied, and the caller must use the returned head.

/// Cuts the list after its first ceil(L/2) nodes and returns the rest; null for a null head.
Node* split(Node* head);

/// Merges two ascending lists of int32_t; on equal keys the first list's node comes first.
Node* mergeInt(Node* first, Node* second);
/// Merges two ascending lists of float; the second list's node wins only on first > second.
Node* mergeFloat(Node* first, Node* second);
/// Merges two ascending lists of double; the second list's node wins only on first > second.
Node* mergeDouble(Node* first, Node* second);

/// Sorts a list of int32_t in ascending order, keeping equal keys in their order.
Node* mergeSortInt(Node* head);
/// Sorts a list of float; equal keys, and keys that are not a number, keep their order.
Node* mergeSortFloat(Node* head);
/// Sorts a list of double; equal keys, and keys that are not a number, keep their order.
Node* mergeSortDouble(Node* head);

/// Prints every int32_t as "%d ", with no line break.
void printAllInt(const Node* head);
/// Prints every float widened to double as "%f ", with no line break.
void printAllFloat(const Node* head);
/// Prints every double as "%lf ", with no line break.
void printAllDouble(const Node* head);

}  // namespace lsde
