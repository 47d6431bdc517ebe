// Named, reference-counted textures, and the list of textures to preload.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Common/StringUtils.h"

namespace Zep {

// Not built yet (the texture cache and the preloading thread): no texture is cached,
// so nothing is counted or unloaded, and preloading never advances. The memory limit,
// the preloading list and its files, and the preloading flags are kept.
class TextureManager {
public:
    virtual ~TextureManager();

    static TextureManager* GetInstance();

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
    // Stand-in: Drain's calls, see TakeDrainCalls.
    std::vector<int32_t> drainCalls;
};

}  // namespace Zep
