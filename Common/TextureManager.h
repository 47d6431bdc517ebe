// Named, reference-counted textures: the cache every texture of the engine comes
// from, and the thread that preloads the textures of a list into it.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Collection.h"
#include "Common/IntrusiveList.h"
#include "Common/StringUtils.h"
#include "Common/Texture.h"

namespace Zep {

class TexturePreloadingThread;

// A cached texture under its name. The count is of the references handed out; at 0
// the texture stays cached until the manager drains it.
class ManagedTexture : public Texture {
public:
    // Takes the texture over and copies its scales, sizes and format.
    ManagedTexture(const std::string& name, Texture* texture);
    // Leaves the manager's list and deletes the texture.
    ~ManagedTexture() override;

    int32_t GetMemorySize() override;
    // Binding a texture makes it the most recently used one.
    void* GetSystemHandle() override;
    void GetPixel(uint32_t& colour, int32_t x, int32_t y) override;

    // Both return the new count.
    int32_t AddRef();
    int32_t Release();
    int32_t GetRefCount() const { return refCount; }

    const std::string& GetName() const { return name; }
    Texture* GetTexture() const { return texture; }
    IntrusiveListLinks<ManagedTexture>& GetListLinks() { return links; }

private:
    std::string name;
    Texture* texture;
    IntrusiveListLinks<ManagedTexture> links;
    int32_t refCount;
};

// Releases the handle in the slot, when there is one, and clears the slot.
void ResetTexturePtr(ManagedTexture*& slot);

// Handles of one bucket of the manager's name table; it owns none of them.
class ManagedTextureCollection : public Collection<ManagedTextureCollection, ManagedTexture> {};

class TextureManager {
public:
    virtual ~TextureManager();

    static TextureManager* GetInstance();

    // The texture of the name, with one reference for the caller. "" gives the stub, "#a"
    // to "#d" render targets, anything else the image file of the name, or the stub when
    // there is none.
    ManagedTexture* GetTexture(const std::string& name);
    // The key of a texture path: '#' names lower-cased whole, other paths without their
    // extension and lower-cased.
    static std::string NormalizeTextureName(const std::string& path);
    // The cached texture of the name, or null; takes no reference.
    ManagedTexture* FindTexture(const std::string& name) const;
    // The checkerboard that stands in for missing images.
    ManagedTexture* GetStubTexture();

    // Unloads unreferenced textures, least recently used first: percent of the cached
    // ones, one at least. True when anything was unloaded.
    bool Drain(int32_t percent);
    // Bytes held by the cached textures.
    uint32_t CalcMemoryUsage();
    // The handles alive.
    int32_t GetNumTextures() const { return numTextures; }
    // Bytes; the cache drains above 85 % of it.
    uint32_t GetMemoryLimit() const { return memoryLimit; }
    void SetMemoryLimit(uint32_t bytes) { memoryLimit = bytes; }

    // Once per frame on the game thread: starts preloading when its delay is over, and
    // takes the preloading thread's work into the cache.
    void Update(int32_t timeDelta);

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
    bool OverThreshold();
    // A new handle at the head of the list and in the table, with the given count.
    ManagedTexture* AddTexture(const std::string& name, Texture* texture, int32_t references);
    void Unload(ManagedTexture* texture);
    ManagedTextureCollection& BucketOf(const std::string& name) const;
    void CollectPreloadingName(const std::string& name);

    bool collectingPreloadingTextures;
    StringVector preloadingList;
    int32_t nextPreloadIndex;
    bool preloadingActive;
    // Milliseconds until preloading starts; -1 for none.
    int32_t startCountdown;
    TexturePreloadingThread* preloadingThread;
    uint32_t memoryLimit;
    int32_t numTextures;
    IntrusiveList<ManagedTexture> textures;
    ManagedTextureCollection* nameTable;
    ManagedTexture* stubTexture;
    // The name last handed to the preloading thread.
    std::string requestedName;
};

}  // namespace Zep
