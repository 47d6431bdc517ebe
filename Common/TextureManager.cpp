#include "Common/TextureManager.h"

#include "Common/CoreUtils.h"

namespace Zep {

TextureManager::TextureManager() {}

TextureManager::~TextureManager() {}

TextureManager* TextureManager::GetInstance() {
    return SubSystemSingleton<TextureManager, TextureManager>::Instance();
}

}  // namespace Zep
