// CList: a doubly linked list that keeps its own byte copy of a fixed-size record
// in every node. Callers walk it by node handles; the payload sits at the start of
// the node, so a node pointer can be read as a pointer to its record.
#pragma once

#include <stdlib.h>
#include <string.h>

template <typename T>
class CList {
public:
    struct Node {
        T payload;
        Node* prev;
        Node* next;
    };

    CList() : head(nullptr), tail(nullptr) {}
    ~CList() { Clear(); }
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;

    // Appends a copy of *record (a zeroed record when record is null).
    // Returns the new node, or null if it cannot be allocated (list unchanged).
    Node* Append(const T* record) {
        Node* node = static_cast<Node*>(calloc(1, sizeof(Node)));
        if (!node) return nullptr;
        if (record) memcpy(&node->payload, record, sizeof(T));
        node->prev = tail;
        if (tail) tail->next = node;
        if (!head) head = node;
        tail = node;
        return node;
    }

    Node* First() const { return head; }
    // Next(null) is the first node, so a walk can start from null.
    Node* Next(const Node* node) const { return node ? node->next : head; }
    Node* Prev(const Node* node) const { return node ? node->prev : nullptr; }

    int Count() const {
        int n = 0;
        for (Node* node = head; node; node = node->next) ++n;
        return n;
    }

    // Removes the last node; false when the list is empty.
    bool RemoveLast() {
        Node* node = tail;
        if (!node) return false;
        tail = node->prev;
        if (tail) tail->next = nullptr;
        if (head == node) head = nullptr;
        free(node);
        return true;
    }

    void Clear() {
        Node* node = head;
        while (node) {
            Node* next = node->next;
            free(node);
            node = next;
        }
        head = tail = nullptr;
    }

    Node* head;
    Node* tail;
};
