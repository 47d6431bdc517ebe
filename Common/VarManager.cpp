#include "Common/VarManager.h"

#include "Common/CoreUtils.h"

namespace Zep {

VarManager::VarManager() {}

VarManager::~VarManager() {}

VarManager* VarManager::GetInstance() {
    return SubSystemSingleton<VarManager, VarManager>::Instance();
}

}  // namespace Zep
