#include "Common/FileSystem.h"

namespace Zep {

FileSystem::FileSystem() {}

FileSystem::~FileSystem() {}

}  // namespace Zep
