// Ordered lists of reflected objects that may own their items, and the reflection
// records through which loading, saving and scripts reach them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "Common/Archive.h"
#include "Common/ClassInfo.h"
#include "Common/CoreUtils.h"
#include "Common/Object.h"

namespace Zep {

namespace Detail {
[[noreturn]] void CollectionIndexOutOfBounds(int line);
}

// Derived may provide OnInsert(index), called after an item was stored at the
// index, and OnRemove(index), called before the item there is taken out,
// overwritten or cut off; and KeepReadItem(item), asked for each item read from an
// archive: false deletes the item instead of appending it.
template <class Derived, class T>
class Collection {
public:
    typedef T ItemType;

    struct Entry {
        T* item;
        uint32_t word;
    };

    Collection() : entries(nullptr), count(0), capacity(0), ownsObjects(0) {}
    // Deletes owned items. Hooks of derived classes no longer run here: a derived
    // collection whose remove hook must see the items clears itself first.
    virtual ~Collection() {
        if (ownsObjects) {
            for (int32_t i = 0; i < count; ++i)
                delete entries[i].item;
        }
        delete[] entries;
    }

    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    int32_t GetCount() const { return count; }
    int32_t GetCapacity() const { return capacity; }
    bool IsEmpty() const { return count == 0; }
    bool GetOwnsObjects() const { return ownsObjects != 0; }
    void SetOwnsObjects(bool owns) { ownsObjects = owns ? 1 : 0; }

    T* Get(int32_t index) const {
        if (index < 0 || index >= count)
            Detail::CollectionIndexOutOfBounds(291);
        return entries[index].item;
    }
    T* GetFirst() const { return Get(0); }
    T* GetLast() const { return Get(count - 1); }
    uint32_t GetWord(int32_t index) const {
        if (index < 0 || index >= count)
            Detail::CollectionIndexOutOfBounds(291);
        return entries[index].word;
    }
    void SetWord(int32_t index, uint32_t word) {
        if (index < 0 || index >= count)
            Detail::CollectionIndexOutOfBounds(291);
        entries[index].word = word;
    }

    // Replaces the item in the slot; an owned previous item is deleted unless it is
    // the item being stored.
    void Put(int32_t index, T* item, uint32_t word = 0) {
        if (index < 0 || index >= count)
            Detail::CollectionIndexOutOfBounds(336);
        if (T* previous = entries[index].item) {
            Self()->OnRemove(index);
            if (ownsObjects && previous != item)
                delete previous;
            entries[index].item = nullptr;
        }
        entries[index].item = item;
        entries[index].word = word;
        Self()->OnInsert(index);
    }

    // Index count appends.
    void Insert(int32_t index, T* item, uint32_t word = 0) {
        if (index < 0 || index > count)
            Detail::CollectionIndexOutOfBounds(417);
        Resize(count + 1);
        std::memmove(static_cast<void*>(entries + index + 1), static_cast<const void*>(entries + index),
                     sizeof(Entry) * static_cast<size_t>(count - 1 - index));
        entries[index].item = item;
        entries[index].word = word;
        Self()->OnInsert(index);
    }

    // Answers the item.
    T* Add(T* item) {
        Resize(count + 1);
        entries[count - 1].item = item;
        entries[count - 1].word = 0;
        Self()->OnInsert(count - 1);
        return item;
    }

    // Takes the item out without deleting it; the caller owns it then.
    T* Extract(int32_t index) {
        if (index < 0 || index >= count)
            Detail::CollectionIndexOutOfBounds(462);
        Self()->OnRemove(index);
        T* item = entries[index].item;
        CloseGap(index);
        return item;
    }

    // Takes the item out, deleting it when owned.
    void Remove(int32_t index) {
        if (index < 0 || index >= count)
            Detail::CollectionIndexOutOfBounds(482);
        Self()->OnRemove(index);
        if (ownsObjects)
            delete entries[index].item;
        entries[index].item = nullptr;
        CloseGap(index);
    }

    T* Extract(T* item) {
        const int32_t index = IndexOf(item);
        if (index == -1)
            Panic("Common\\Collection.h", 509, "Object not found");
        return Extract(index);
    }

    void Remove(T* item) {
        const int32_t index = IndexOf(item);
        if (index == -1)
            Panic("Common\\Collection.h", 526, "Object not found");
        Remove(index);
    }

    int32_t IndexOf(const T* item) const {
        for (int32_t i = 0; i < count; ++i) {
            if (entries[i].item == item)
                return i;
        }
        return -1;
    }
    bool Exists(const T* item) const { return IndexOf(item) != -1; }

    // Shrinking runs the remove hook on each cut-off item and deletes owned ones;
    // growing adds null entries without hooks.
    void Resize(int32_t n) {
        ZEP_ASSERT_MSG(n >= 0, "Index out of bounds");
        if (n == count)
            return;
        if (n < count) {
            for (int32_t i = n; i < count; ++i) {
                if (entries[i].item) {
                    Self()->OnRemove(i);
                    if (ownsObjects) {
                        delete entries[i].item;
                        entries[i].item = nullptr;
                    }
                }
            }
            if (n == 0) {
                delete[] entries;
                entries = nullptr;
                capacity = 0;
            }
            count = n;
            return;
        }
        if (n > capacity) {
            const int32_t newCapacity = n > 8 ? n + n / 2 : 8;
            Entry* grown = new Entry[static_cast<size_t>(newCapacity)];
            if (count > 0)
                std::memcpy(static_cast<void*>(grown), static_cast<const void*>(entries),
                            sizeof(Entry) * static_cast<size_t>(count));
            delete[] entries;
            entries = grown;
            capacity = newCapacity;
        }
        for (int32_t i = count; i < n; ++i) {
            entries[i].item = nullptr;
            entries[i].word = 0;
        }
        count = n;
    }

    // The setter of the count as scripts see it.
    void SetCount(int32_t n) { Resize(n); }
    void Clear() { Resize(0); }

    // Replaces the content with the objects of an archive array.
    void ReadFromArchive(IArchive& reader) {
        reader.BeginArray();
        Resize(0);
        while (!reader.AtArrayEnd()) {
            reader.BeginItem();
            Object* object = Object::CreateFromArchive(reader);
            T* item = dynamic_cast<T*>(object);
            if (!item) {
                delete object;
                AssertionFailed("Common\\Collection.h", 192,
                                "ReadCollectionFromArchive failed: invalid collection item class");
            }
            if (Self()->KeepReadItem(item))
                Add(item);
            else
                delete item;
            reader.EndItem();
        }
        reader.EndArray();
    }

    // A multi-line array of the items' objects; an empty entry is skipped.
    void WriteToArchive(OArchive& writer) const {
        writer.BeginArray(count != 0);
        for (int32_t i = 0; i < count; ++i) {
            if (!entries[i].item) {
                LogWarning("Collection entry " + std::to_string(i) + " holds no object and is not written\n");
                continue;
            }
            writer.BeginItem();
            entries[i].item->Save(writer);
            writer.EndItem();
        }
        writer.EndArray();
    }

    // The hooks of collections that have none.
    void OnInsert(int32_t) {}
    void OnRemove(int32_t) {}
    bool KeepReadItem(T*) { return true; }

private:
    Derived* Self() { return static_cast<Derived*>(this); }

    // Moves the entries after index down by one and drops the last one, which no
    // longer holds an item of its own.
    void CloseGap(int32_t index) {
        std::memmove(static_cast<void*>(entries + index), static_cast<const void*>(entries + index + 1),
                     sizeof(Entry) * static_cast<size_t>(count - 1 - index));
        entries[count - 1].item = nullptr;
        entries[count - 1].word = 0;
        Resize(count - 1);
    }

    Entry* entries;
    int32_t count;
    int32_t capacity;
    uint8_t ownsObjects;
};

// A plain list of objects. Every live one is known, so that a script's claim on an
// object can give way to a collection that owns it.
class ObjectCollection : public Collection<ObjectCollection, Object> {
public:
    ObjectCollection() : ObjectCollection(false) {}
    explicit ObjectCollection(bool ownsObjects);
    ~ObjectCollection() override;

    // True when a live collection that owns its objects holds the object.
    static bool IsOwnedItem(const Object* object);

private:
    ObjectCollection* previousLive;
    ObjectCollection* nextLive;
    static ObjectCollection* firstLive;
};

// The reflection record of one collection member of a class. Every operation
// works on the collection inside the owner object it is given.
class CollectionInfo {
public:
    explicit CollectionInfo(const std::string& name) : name(name) {}
    virtual ~CollectionInfo() {}

    CollectionInfo(const CollectionInfo&) = delete;
    CollectionInfo& operator=(const CollectionInfo&) = delete;

    virtual const std::string& GetName() const { return name; }
    virtual ClassInfo* GetItemClassInfo() const = 0;
    virtual void SetOwnsObjects(Object* owner, bool owns) = 0;
    virtual bool GetOwnsObjects(Object* owner) = 0;
    virtual bool IsEmpty(Object* owner) = 0;
    virtual int32_t GetCount(Object* owner) = 0;
    virtual Object* Get(Object* owner, int32_t index) = 0;
    virtual void Put(Object* owner, int32_t index, Object* object) = 0;
    virtual void Add(Object* owner, Object* object) = 0;
    virtual void SetCount(Object* owner, int32_t count) = 0;
    virtual void Clear(Object* owner) = 0;
    virtual void Insert(Object* owner, int32_t index, Object* object) = 0;
    virtual int32_t IndexOf(Object* owner, Object* object) = 0;
    virtual Object* ExtractObject(Object* owner, Object* object) = 0;
    virtual Object* ExtractAt(Object* owner, int32_t index) = 0;
    virtual void RemoveObject(Object* owner, Object* object) = 0;
    virtual void RemoveAt(Object* owner, int32_t index) = 0;
    virtual void ReadFromArchive(Object* owner, IArchive& reader) = 0;
    virtual void WriteToArchive(Object* owner, OArchive& writer) = 0;

private:
    std::string name;
};

// The record of a collection member of Owner. Objects passed in are converted to
// the item class; an object of another class is passed on as null.
template <class Owner, class Coll>
class TypedCollectionInfo : public CollectionInfo {
public:
    typedef typename Coll::ItemType Item;

    // Without a member (a record made by a script), GetCollection must be overridden.
    explicit TypedCollectionInfo(const std::string& name, Coll Owner::*member = nullptr)
        : CollectionInfo(name), member(member) {}

    virtual Coll* GetCollection(Object* owner) {
        ZEP_ASSERT(member != nullptr);
        return &(static_cast<Owner*>(owner)->*member);
    }

    ClassInfo* GetItemClassInfo() const override { return &Item::staticClassInfo; }
    void SetOwnsObjects(Object* owner, bool owns) override { GetCollection(owner)->SetOwnsObjects(owns); }
    bool GetOwnsObjects(Object* owner) override { return GetCollection(owner)->GetOwnsObjects(); }
    bool IsEmpty(Object* owner) override { return GetCollection(owner)->IsEmpty(); }
    int32_t GetCount(Object* owner) override { return GetCollection(owner)->GetCount(); }
    Object* Get(Object* owner, int32_t index) override { return GetCollection(owner)->Get(index); }
    void Put(Object* owner, int32_t index, Object* object) override {
        GetCollection(owner)->Put(index, dynamic_cast<Item*>(object));
    }
    void Add(Object* owner, Object* object) override { GetCollection(owner)->Add(dynamic_cast<Item*>(object)); }
    void SetCount(Object* owner, int32_t count) override { GetCollection(owner)->Resize(count); }
    void Clear(Object* owner) override { SetCount(owner, 0); }
    void Insert(Object* owner, int32_t index, Object* object) override {
        GetCollection(owner)->Insert(index, dynamic_cast<Item*>(object));
    }
    int32_t IndexOf(Object* owner, Object* object) override {
        return GetCollection(owner)->IndexOf(dynamic_cast<Item*>(object));
    }
    Object* ExtractObject(Object* owner, Object* object) override {
        return GetCollection(owner)->Extract(dynamic_cast<Item*>(object));
    }
    Object* ExtractAt(Object* owner, int32_t index) override { return GetCollection(owner)->Extract(index); }
    void RemoveObject(Object* owner, Object* object) override {
        GetCollection(owner)->Remove(dynamic_cast<Item*>(object));
    }
    void RemoveAt(Object* owner, int32_t index) override { GetCollection(owner)->Remove(index); }
    void ReadFromArchive(Object* owner, IArchive& reader) override { GetCollection(owner)->ReadFromArchive(reader); }
    void WriteToArchive(Object* owner, OArchive& writer) override { GetCollection(owner)->WriteToArchive(writer); }

private:
    Coll Owner::*member;
};

typedef TypedCollectionInfo<Object, ObjectCollection> ObjectCollectionInfo;

// Registers a collection member of Owner under its archive field name.
template <class Owner, class Coll>
CollectionInfo* RegisterCollection(const std::string& name, Coll Owner::*member) {
    CollectionInfo* collection = new TypedCollectionInfo<Owner, Coll>(name, member);
    Owner::staticClassInfo.RegisterCollection(collection);
    return collection;
}

}  // namespace Zep
