#include "Common/TextureManager.h"

#include <algorithm>

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/FileStream.h"
#include "Common/Texture.h"
#include "Common/Utils.h"

namespace Zep {

// Stand-in (texture cache): the Windows textures, made in Platforms/Win32.
namespace Win32 {
Texture* CreateImageTextureStandIn(MemoryTexture& source);
Texture* CreateImageTextureStandIn(const std::string& path);
Texture* CreateRenderTargetTextureStandIn(int32_t width, int32_t height);
}  // namespace Win32

// --- Stand-in (texture cache, replaced by the texture manager's issue) --------------

ManagedTexture::ManagedTexture(const std::string& name_, Texture* texture_)
    : name(name_), texture(texture_), refCount(0) {
    uScale = texture->GetUScale();
    vScale = texture->GetVScale();
    width = texture->GetWidth();
    height = texture->GetHeight();
    allocatedWidth = texture->GetAllocatedWidth();
    allocatedHeight = texture->GetAllocatedHeight();
    format = texture->GetFormat();
}

ManagedTexture::~ManagedTexture() {
    delete texture;
}

int32_t ManagedTexture::Release() {
    if (--refCount < 0)
        ZEP_PANIC("Attempt to release not referenced texture");
    return refCount;
}

void ResetTexturePtr(ManagedTexture*& slot) {
    if (slot)
        slot->Release();
    slot = nullptr;
}

ManagedTexture* TextureManager::GetTexture(const std::string& name) {
    if (name.empty()) {
        GetStubTexture()->AddRef();
        return stub;
    }
    auto found = cache.find(name);
    if (found != cache.end()) {
        found->second->AddRef();
        return found->second;
    }
    Texture* texture = nullptr;
    if (name.size() == 2 && name[0] == '#' && name[1] >= 'a' && name[1] <= 'd') {
        static const int32_t sizes[] = {256, 256, 512, 1024};
        texture = Win32::CreateRenderTargetTextureStandIn(sizes[name[1] - 'a'], sizes[name[1] - 'a']);
    } else {
        std::string path;
        if (!Texture::FindImageFile(name, path)) {
            GetStubTexture()->AddRef();
            return stub;
        }
        texture = Win32::CreateImageTextureStandIn(path);
    }
    ManagedTexture* handle = new ManagedTexture(name, texture);
    cache[name] = handle;
    handle->AddRef();
    return handle;
}

std::string TextureManager::NormalizeTextureName(const std::string& path) {
    if (!path.empty() && path[0] == '#')
        return ToLower(path);
    return ToLower(ExtractPathWithoutExtension(path));
}

ManagedTexture* TextureManager::GetStubTexture() {
    if (!stub) {
        MemoryTexture image;
        image.Create(128, 128, FORMAT_RGB888, 1);
        uint8_t* pixels = image.GetMipLevel(0);
        for (int32_t y = 0; y < 128; ++y) {
            for (int32_t x = 0; x < 128; ++x) {
                uint8_t* pixel = pixels + y * image.GetRowPitch() + x * 3;
                const bool blue = ((x >> 3) & 1) != ((y >> 3) & 1);
                pixel[0] = 255;
                pixel[1] = pixel[2] = blue ? 51 : 255;
            }
        }
        stub = new ManagedTexture("<stub>", Win32::CreateImageTextureStandIn(image));
        stub->AddRef();
    }
    return stub;
}

// ------------------------------------------------------------------------------------

TextureManager::TextureManager()
    : collectingPreloadingTextures(false),
      nextPreloadIndex(0),
      preloadingActive(false),
      startCountdown(-1),
      memoryLimit(0x10000000),
      numTextures(0) {}

TextureManager::~TextureManager() {
    Drain(100);
}

TextureManager* TextureManager::GetInstance() {
    return SubSystemSingleton<TextureManager, TextureManager>::Instance();
}

// Stand-in (texture cache): records the call, then unloads unreferenced handles in
// name order, not the least recently used first; tests drain everything between
// renderers.
bool TextureManager::Drain(int32_t percent) {
    drainCalls.push_back(percent);
    int32_t left = std::max<int32_t>(1, static_cast<int32_t>(cache.size()) * percent / 100);
    bool unloaded = false;
    for (auto it = cache.begin(); it != cache.end() && left > 0;) {
        if (it->second->GetRefCount() != 0) {
            ++it;
            continue;
        }
        delete it->second;
        it = cache.erase(it);
        unloaded = true;
        --left;
    }
    // Draining everything also gives up the stub when only the manager holds it.
    if (percent >= 100 && stub && stub->GetRefCount() == 1) {
        delete stub;
        stub = nullptr;
        unloaded = true;
    }
    return unloaded;
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
