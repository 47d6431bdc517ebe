#include "Common/BundleSystem.h"

#include "Common/CoreUtils.h"

namespace Zep {

BundleSystem::BundleSystem() {}

BundleSystem::~BundleSystem() {}

BundleSystem* BundleSystem::GetInstance() {
    return SubSystemSingleton<BundleSystem, BundleSystem>::Instance();
}

}  // namespace Zep
