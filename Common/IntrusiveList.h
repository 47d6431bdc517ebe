// Doubly linked lists threaded through their items: nothing is allocated per item,
// and an item leaves its list or moves to the front in constant time.
#pragma once

#include <cstdint>

#include "Common/CoreUtils.h"

namespace Zep {

template <class T>
class IntrusiveList;

// What an item of an IntrusiveList<T> carries: its list (null while in none) and its
// neighbours.
template <class T>
struct IntrusiveListLinks {
    IntrusiveList<T>* list = nullptr;
    T* previous = nullptr;
    T* next = nullptr;
};

// T exposes its links as `IntrusiveListLinks<T>& GetListLinks()`. The list does not own
// its items; the head is the item added or moved to the front last.
template <class T>
class IntrusiveList {
public:
    IntrusiveList() = default;
    IntrusiveList(const IntrusiveList&) = delete;
    IntrusiveList& operator=(const IntrusiveList&) = delete;

    // An item can be in one list, once.
    void PushFront(T* item) {
        IntrusiveListLinks<T>& links = item->GetListLinks();
        if (links.list)
            Panic("Common\\IntrusiveList.h", 39, "Item already present in the list");
        links.list = this;
        links.previous = nullptr;
        links.next = head;
        if (head)
            head->GetListLinks().previous = item;
        else
            tail = item;
        head = item;
        ++count;
    }

    // Nothing happens to an item of another list or of none.
    void Remove(T* item) {
        IntrusiveListLinks<T>& links = item->GetListLinks();
        if (links.list != this)
            return;
        if (links.previous)
            links.previous->GetListLinks().next = links.next;
        else
            head = links.next;
        if (links.next)
            links.next->GetListLinks().previous = links.previous;
        else
            tail = links.previous;
        links = IntrusiveListLinks<T>();
        --count;
    }

    void MoveToFront(T* item) {
        if (item == head || item->GetListLinks().list != this)
            return;
        Remove(item);
        PushFront(item);
    }

    T* GetHead() const { return head; }
    T* GetTail() const { return tail; }
    int32_t GetCount() const { return count; }

    static T* GetNext(T* item) { return item->GetListLinks().next; }
    static T* GetPrevious(T* item) { return item->GetListLinks().previous; }

private:
    T* head = nullptr;
    T* tail = nullptr;
    int32_t count = 0;
};

}  // namespace Zep
