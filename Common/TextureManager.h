// Named, reference-counted textures, and the list of textures to preload.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Common/StringUtils.h"
#include "Common/Texture.h"

namespace Zep {

// Stand-in (texture cache, replaced by the texture manager's issue): a named handle
// with a reference count around a texture it owns; no recently-used list.
class ManagedTexture : public Texture {
public:
    ManagedTexture(const std::string& name, Texture* texture);
    ~ManagedTexture() override;

    int32_t AddRef() { return ++refCount; }
    // Panics below 0; at 0 the handle stays cached.
    int32_t Release();

    int32_t GetMemorySize() override { return texture->GetMemorySize(); }
    void* GetSystemHandle() override { return texture->GetSystemHandle(); }
    void GetPixel(uint32_t& colour, int32_t x, int32_t y) override { texture->GetPixel(colour, x, y); }

    const std::string& GetName() const { return name; }
    Texture* GetTexture() const { return texture; }
    int32_t GetRefCount() const { return refCount; }

private:
    std::string name;
    Texture* texture;
    int32_t refCount;
};

// Releases the handle in the slot, when there is one, and clears the slot.
void ResetTexturePtr(ManagedTexture*& slot);

// Not built yet (the texture cache and the preloading thread): textures are cached
// but never unloaded or counted, and preloading never advances. The memory limit,
// the preloading list and its files, and the preloading flags are kept.
class TextureManager {
public:
    virtual ~TextureManager();

    static TextureManager* GetInstance();

    // Stand-in (texture cache, replaced by the texture manager's issue): one more
    // reference of the texture of the name: the stub for "" and for names without an
    // image file, render targets for "#a" to "#d", else the image file, kept cached.
    ManagedTexture* GetTexture(const std::string& name);
    // '#' names lower-cased whole; other paths lose their extension and are lower-cased.
    static std::string NormalizeTextureName(const std::string& path);
    // The checkerboard shown for missing images.
    ManagedTexture* GetStubTexture();

    // Unloads unreferenced textures, least recently used first: percent of the cached
    // ones, one at least. True when anything was unloaded.
    bool Drain(int32_t percent);
    // Stand-in until the texture cache exists: the percents Drain was asked for since the
    // last take, oldest first.
    std::vector<int32_t> TakeDrainCalls();
    // Bytes held by the cached textures.
    uint32_t CalcMemoryUsage();
    // The handles alive.
    int32_t GetNumTextures() const { return numTextures; }
    // Bytes; the cache drains above 85 % of it.
    uint32_t GetMemoryLimit() const { return memoryLimit; }
    void SetMemoryLimit(uint32_t bytes) { memoryLimit = bytes; }

    // --- Preloading ---
    // While collecting, every texture loaded from a file joins the preloading list.
    bool IsCollectingPreloadingTextures() const { return collectingPreloadingTextures; }
    void SetCollectingPreloadingTextures(bool collecting) { collectingPreloadingTextures = collecting; }
    // Writes the entries of the list that have an image file, one per line.
    void SavePreloadingListToFile(const std::string& path);
    // The list becomes the lines of the file; an empty list without the file.
    bool LoadPreloadingListFromFile(const std::string& path);
    // Preloading starts from the top of the list after the delay.
    void StartPreloading(int32_t delay);
    void StopPreloading();
    bool IsPreloadingStopped() const { return !preloadingActive; }
    // 100 for an empty list.
    float GetPreloadingPercent() const;
    const StringVector& GetPreloadingList() const { return preloadingList; }

protected:
    TextureManager();

private:
    bool collectingPreloadingTextures;
    StringVector preloadingList;
    int32_t nextPreloadIndex;
    bool preloadingActive;
    // Milliseconds until preloading starts; -1 for none.
    int32_t startCountdown;
    uint32_t memoryLimit;
    int32_t numTextures;
    // Stand-in (texture cache): every handle made, by name; the stub apart.
    std::map<std::string, ManagedTexture*> cache;
    ManagedTexture* stub = nullptr;
    // Stand-in: Drain's calls, see TakeDrainCalls.
    std::vector<int32_t> drainCalls;
};

}  // namespace Zep
