#include "Common/Collection.h"

namespace Zep {
namespace Detail {

void CollectionIndexOutOfBounds(int line) {
    AssertionFailed("Common\\Collection.h", line, "Index out of bounds");
}

}  // namespace Detail

ObjectCollection* ObjectCollection::firstLive = nullptr;

ObjectCollection::ObjectCollection(bool ownsObjects) : previousLive(nullptr), nextLive(firstLive) {
    SetOwnsObjects(ownsObjects);
    if (firstLive)
        firstLive->previousLive = this;
    firstLive = this;
}

ObjectCollection::~ObjectCollection() {
    if (previousLive)
        previousLive->nextLive = nextLive;
    else
        firstLive = nextLive;
    if (nextLive)
        nextLive->previousLive = previousLive;
}

bool ObjectCollection::IsOwnedItem(const Object* object) {
    for (const ObjectCollection* collection = firstLive; collection; collection = collection->nextLive) {
        if (collection->GetOwnsObjects() && collection->Exists(object))
            return true;
    }
    return false;
}

}  // namespace Zep
