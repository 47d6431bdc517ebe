#include "Common/TextureManager.h"

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/FileStream.h"
#include "Common/Texture.h"
#include "Common/Utils.h"

namespace Zep {

TextureManager::TextureManager()
    : collectingPreloadingTextures(false),
      nextPreloadIndex(0),
      preloadingActive(false),
      startCountdown(-1),
      memoryLimit(0x10000000),
      numTextures(0) {}

TextureManager::~TextureManager() {}

TextureManager* TextureManager::GetInstance() {
    return SubSystemSingleton<TextureManager, TextureManager>::Instance();
}

// Stand-in until the texture cache exists: records the call; with nothing cached there is
// nothing to unload.
bool TextureManager::Drain(int32_t percent) {
    drainCalls.push_back(percent);
    return false;
}

std::vector<int32_t> TextureManager::TakeDrainCalls() {
    std::vector<int32_t> taken;
    taken.swap(drainCalls);
    return taken;
}

// Not built yet (the texture cache): nothing is cached.
uint32_t TextureManager::CalcMemoryUsage() {
    return 0;
}

void TextureManager::SavePreloadingListToFile(const std::string& path) {
    FileStream stream(path, FS_OPEN_WRITE | FS_OPEN_TRUNCATE);
    std::string found;
    for (const std::string& name : preloadingList) {
        if (!Texture::FindImageFile(name, found))
            continue;
        stream.Write(name.data(), static_cast<int32_t>(name.size()));
        stream.WriteByte('\n');
    }
}

bool TextureManager::LoadPreloadingListFromFile(const std::string& path) {
    preloadingList.clear();
    if (!BundleSystem::GetInstance()->PathExists(path, FS_PATH_FILE))
        return false;
    preloadingList = Split(LoadFileToString(path), '\n');
    return true;
}

void TextureManager::StartPreloading(int32_t delay) {
    startCountdown = delay;
}

void TextureManager::StopPreloading() {
    preloadingActive = false;
    startCountdown = -1;
}

float TextureManager::GetPreloadingPercent() const {
    if (preloadingList.empty())
        return 100.0f;
    return static_cast<float>(nextPreloadIndex) * 100.0f / static_cast<float>(preloadingList.size());
}

}  // namespace Zep
