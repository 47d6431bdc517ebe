#include "Common/Collection.h"

namespace Zep {
namespace Detail {

void CollectionIndexOutOfBounds(int line) {
    AssertionFailed("Common\\Collection.h", line, "Index out of bounds");
}

}  // namespace Detail
}  // namespace Zep
