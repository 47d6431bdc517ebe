#include "Common/Object.h"

#include <cstdlib>
#include <functional>
#include <mutex>
#include <new>
#include <unordered_map>

#include "Common/Archive.h"
#include "Common/ClassRegistry.h"
#include "Common/Collection.h"
#include "Common/CoreUtils.h"
#include "Common/PropertyInfo.h"
#include "Common/StringUtils.h"

namespace Zep {

namespace Detail {

Object* AbstractFactory() {
    Panic("Common\\RTTIClass.h", 117, "Attempt to instantiate abstract class");
}

}  // namespace Detail

namespace {

uint32_t nextObjectId = 1;

// The memory of the live-object registry comes from the C heap: the registry is kept
// for the whole process, past the exit-time leak report of the engine's heaps, which
// would otherwise list it once a script has made an object.
template <class T>
struct ProcessAllocator {
    typedef T value_type;

    ProcessAllocator() = default;
    template <class U>
    ProcessAllocator(const ProcessAllocator<U>&) {}

    T* allocate(size_t count) {
        if (void* memory = std::malloc(count * sizeof(T)))
            return static_cast<T*>(memory);
        throw std::bad_alloc();
    }
    void deallocate(T* memory, size_t) { std::free(memory); }

    template <class U>
    bool operator==(const ProcessAllocator<U>&) const {
        return true;
    }
    template <class U>
    bool operator!=(const ProcessAllocator<U>&) const {
        return false;
    }
};

// Address to id of every object between its constructor and its destructor. Kept
// for the whole process: objects may outlive static destruction.
struct LiveObjects {
    std::mutex lock;
    std::unordered_map<const void*, uint32_t, std::hash<const void*>, std::equal_to<const void*>,
                       ProcessAllocator<std::pair<const void* const, uint32_t>>>
        ids;
};

LiveObjects& GetLiveObjects() {
    static LiveObjects* live = new (ProcessAllocator<LiveObjects>().allocate(1)) LiveObjects;
    return *live;
}

void AddLiveObject(const Object* object, uint32_t id) {
    LiveObjects& live = GetLiveObjects();
    std::lock_guard<std::mutex> guard(live.lock);
    live.ids[object] = id;
}

void RemoveLiveObject(const Object* object) {
    LiveObjects& live = GetLiveObjects();
    std::lock_guard<std::mutex> guard(live.lock);
    live.ids.erase(object);
}

}  // namespace

void Object::DeclareProperties() {}

Object::Object() : classInfo(&staticClassInfo), objectId(nextObjectId++) {
    AddLiveObject(this, objectId);
}

Object::Object(const Object& other) : classInfo(other.classInfo), objectId(nextObjectId++) {
    AddLiveObject(this, objectId);
}

Object::~Object() {
    RemoveLiveObject(this);
    objectId = 0;
}

uint32_t Object::GetLiveObjectId(const void* address) {
    LiveObjects& live = GetLiveObjects();
    std::lock_guard<std::mutex> guard(live.lock);
    const auto found = live.ids.find(address);
    return found == live.ids.end() ? 0 : found->second;
}

bool Object::IsLiveObject(const void* address, uint32_t id) {
    return id != 0 && GetLiveObjectId(address) == id;
}

bool Object::IsKindOf(const std::string& className) const {
    ClassInfo* other = ClassRegistry::GetInstance().FindClass(className);
    return other && classInfo->IsKindOf(other);
}

void Object::OverrideClassInfo(Object* object, ClassInfo* classInfo) {
    object->classInfo = classInfo;
}

void Object::Save(OArchive& writer) {
    writer.BeginObject(GetClassName());
    SaveProperties(writer);
    writer.EndObject();
}

void Object::SaveProperties(OArchive& writer) {
    PropertyInfoList properties;
    CollectionInfoList collections;
    classInfo->GetProperties(properties, true);
    classInfo->GetCollections(collections, true);

    // An abstract class has no fresh instance to compare with: all its properties
    // are written.
    Object* reference = classInfo->IsAbstract() ? nullptr : classInfo->CreateInstance();
    for (PropertyInfo* property : properties) {
        if (property->GetFlags() & (PROPERTY_READONLY | PROPERTY_OBSOLETE))
            continue;
        if (reference && property->IsEqual(reference, this))
            continue;
        writer.BeginField(property->GetName());
        property->WriteToArchive(this, writer);
        writer.EndField();
    }
    delete reference;

    for (CollectionInfo* collection : collections) {
        if (collection->IsEmpty(this))
            continue;
        writer.BeginField(collection->GetName());
        collection->WriteToArchive(this, writer);
        writer.EndField();
    }
}

void Object::Load(IArchive& reader) {
    const std::string className = reader.BeginObject();
    if (className != GetClassName())
        AssertionFailed("Common\\Object.cpp", 51, "Class name mismatch");
    LoadProperties(reader);
    reader.EndObject();
}

void Object::LoadProperties(IArchive& reader) {
    PropertyInfoList properties;
    PropertyInfoList obsoleteProperties;
    CollectionInfoList collections;
    classInfo->GetProperties(properties, true);
    classInfo->GetObsoleteProperties(obsoleteProperties, true);
    classInfo->GetCollections(collections, true);

    for (CollectionInfo* collection : collections)
        collection->Clear(this);

    while (!reader.AtObjectEnd()) {
        const std::string field = reader.ReadFieldName();
        bool found = false;
        for (PropertyInfo* property : properties) {
            if (property->GetName() == field) {
                property->ReadFromArchive(this, reader);
                found = true;
                break;
            }
        }
        for (size_t i = 0; !found && i < collections.size(); ++i) {
            if (collections[i]->GetName() == field) {
                collections[i]->ReadFromArchive(this, reader);
                found = true;
            }
        }
        for (size_t i = 0; !found && i < obsoleteProperties.size(); ++i) {
            if (obsoleteProperties[i]->GetName() == field) {
                obsoleteProperties[i]->ReadFromArchive(this, reader);
                found = true;
            }
        }
        if (!found)
            Panic("Common\\Object.cpp", 126,
                  Sprintf("Unknown field or collection: %s in %s", field.c_str(), GetClassName().c_str()));
        reader.EndField();
    }
}

Object* Object::CreateFromArchive(IArchive& reader) {
    const std::string className = reader.PeekString();
    ClassInfo* classInfo = ClassRegistry::GetInstance().FindClass(className);
    if (!classInfo)
        Panic("Common\\Object.cpp", 200, "Unregistered class: " + className);
    Object* object = classInfo->CreateInstance();
    if (!object)
        AssertionFailed("Common\\Object.cpp", 205);
    // A reader failure leaves the new object to nobody: it must not leak.
    try {
        object->Load(reader);
    } catch (...) {
        delete object;
        throw;
    }
    return object;
}

}  // namespace Zep
