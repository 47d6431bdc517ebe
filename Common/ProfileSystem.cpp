#include "Common/ProfileSystem.h"

namespace Zep {

ProfileSystem::ProfileSystem() {}

ProfileSystem::~ProfileSystem() {}

}  // namespace Zep
