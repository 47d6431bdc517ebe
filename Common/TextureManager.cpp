#include "Common/TextureManager.h"

#include <algorithm>
#include <atomic>

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/FileAttributes.h"
#include "Common/FileStream.h"
#include "Common/Utils.h"
#include "LumoSources/Common/PlatformRenderer.h"
#include "Platforms/Win32/Win32Application.h"
#include "Platforms/Win32/Win32Texture.h"
#include "Platforms/Win32/Win32Thread.h"

namespace Zep {

namespace {

// Reports of this file name it with the lines the engine has always given them.
const char kSource[] = "Common\\TextureManager.cpp";

const int32_t kNameTableSize = 2048;
const int32_t kStubSize = 128;

PlainTexture* NewPlainTexture() {
    return new Win32::PlainTexture();
}

Texture* NewRenderTarget(int32_t size) {
    return new Win32::RenderTargetTexture(size, size);
}

// The flags the folder attributes of the path ask for.
uint32_t TextureFlagsOf(const std::string& path) {
    const FileAttributes& attributes = FileAttributes::GetInstance();
    uint32_t flags = 0;
    if (attributes.GetBool(path, "PixelAccess", false))
        flags |= PlainTexture::FLAG_PIXEL_ACCESS;
    if (attributes.GetBool(path, "MipMaps", false))
        flags |= PlainTexture::FLAG_MIPMAPS;
    return flags;
}

}  // namespace

// --- ManagedTexture ------------------------------------------------------------------

ManagedTexture::ManagedTexture(const std::string& name, Texture* texture) : name(name), texture(texture), refCount(0) {
    uScale = texture->GetUScale();
    vScale = texture->GetVScale();
    width = texture->GetWidth();
    height = texture->GetHeight();
    allocatedWidth = texture->GetAllocatedWidth();
    allocatedHeight = texture->GetAllocatedHeight();
    format = texture->GetFormat();
}

ManagedTexture::~ManagedTexture() {
    if (links.list)
        links.list->Remove(this);
    delete texture;
}

int32_t ManagedTexture::GetMemorySize() {
    return texture->GetMemorySize();
}

void* ManagedTexture::GetSystemHandle() {
    if (links.list)
        links.list->MoveToFront(this);
    return texture->GetSystemHandle();
}

void ManagedTexture::GetPixel(uint32_t& colour, int32_t x, int32_t y) {
    texture->GetPixel(colour, x, y);
}

int32_t ManagedTexture::AddRef() {
    return ++refCount;
}

int32_t ManagedTexture::Release() {
    if (refCount <= 0)
        ZEP_PANIC("Attempt to release not referenced texture");
    return --refCount;
}

void ResetTexturePtr(ManagedTexture*& slot) {
    if (slot)
        slot->Release();
    slot = nullptr;
}

// --- TexturePreloadingThread ---------------------------------------------------------

class TexturePreloadingThread : public Win32::Thread {
public:
    TexturePreloadingThread() : done(1), stop(0), result(nullptr) {}
    ~TexturePreloadingThread() override { delete result; }

    uint32_t Run() override {
        while (!stop.load(std::memory_order_acquire)) {
            if (!done.load(std::memory_order_acquire)) {
                std::string found;
                if (Texture::FindImageFile(requestedPath, found)) {
                    MemoryTexture* image = new MemoryTexture();
                    image->LoadFromFile(found);
                    delete result;
                    result = image;
                } else {
                    delete result;
                    result = nullptr;
                    requestedPath.clear();
                }
                done.store(1, std::memory_order_release);
            }
            Thread::Sleep(1);
        }
        delete result;
        result = nullptr;
        requestedPath.clear();
        done.store(1, std::memory_order_release);
        return 0;
    }

    bool IsDone() const { return done.load(std::memory_order_acquire) != 0; }
    // Game thread, only while done: the name to load next.
    void Request(const std::string& path) {
        requestedPath = path;
        delete result;
        result = nullptr;
        done.store(0, std::memory_order_release);
    }
    // Asks the thread to end; it sets the done flag once it has let go of its data.
    void Stop() { stop.store(1, std::memory_order_release); }

    // Game thread, only while done: the name last asked for, empty when it has no image
    // file; and its image.
    const std::string& GetRequestedPath() const { return requestedPath; }
    MemoryTexture* GetResult() const { return result; }

private:
    // The hand-over: the game thread touches the path and the result only while the
    // flag is set, this thread only while it is clear; each side writes them before
    // flipping it (release) and reads the flag before them (acquire).
    std::atomic<uint8_t> done;
    std::atomic<uint8_t> stop;
    std::string requestedPath;
    MemoryTexture* result;
};

// --- TextureManager ------------------------------------------------------------------

TextureManager::TextureManager()
    : collectingPreloadingTextures(false),
      nextPreloadIndex(0),
      preloadingActive(false),
      startCountdown(-1),
      preloadingThread(new TexturePreloadingThread()),
      memoryLimit(0x10000000),
      numTextures(0),
      nameTable(new ManagedTextureCollection[kNameTableSize]),
      stubTexture(nullptr) {
    preloadingThread->Create(0, false, 0);
}

TextureManager::~TextureManager() {
    preloadingThread->Stop();
    while (!preloadingThread->IsDone())
        Thread::Sleep(10);
    // The done flag may have been set long before the stop: the thread is gone only
    // once it has returned.
    preloadingThread->Wait();
    if (stubTexture)
        stubTexture->Release();
    Drain(100);
    if (numTextures != 0)
        Panic(kSource, 446, "TextureManager::~TextureManager() failed - some of textures are still referenced");
    delete[] nameTable;
    delete preloadingThread;
}

TextureManager* TextureManager::GetInstance() {
    return SubSystemSingleton<TextureManager, TextureManager>::Instance();
}

ManagedTextureCollection& TextureManager::BucketOf(const std::string& name) const {
    uint16_t h = 5381;
    for (char c : name)
        h = static_cast<uint16_t>(h * 33 + static_cast<int8_t>(c));
    return nameTable[h & (kNameTableSize - 1)];
}

ManagedTexture* TextureManager::FindTexture(const std::string& name) const {
    const ManagedTextureCollection& bucket = BucketOf(name);
    for (int32_t i = 0; i < bucket.GetCount(); ++i) {
        ManagedTexture* texture = bucket.Get(i);
        if (texture->GetName() == name)
            return texture;
    }
    return nullptr;
}

ManagedTexture* TextureManager::AddTexture(const std::string& name, Texture* texture, int32_t references) {
    ManagedTexture* handle = new ManagedTexture(name, texture);
    for (int32_t i = 0; i < references; ++i)
        handle->AddRef();
    textures.PushFront(handle);
    BucketOf(name).Add(handle);
    ++numTextures;
    return handle;
}

void TextureManager::Unload(ManagedTexture* texture) {
    BucketOf(texture->GetName()).Extract(texture);
    if (texture == stubTexture)
        stubTexture = nullptr;
    delete texture;
    --numTextures;
}

bool TextureManager::OverThreshold() {
    return static_cast<double>(CalcMemoryUsage()) > 0.85 * static_cast<double>(memoryLimit);
}

ManagedTexture* TextureManager::GetStubTexture() {
    if (stubTexture)
        return stubTexture;
    MemoryTexture image;
    image.Create(kStubSize, kStubSize, FORMAT_RGB888, 1);
    uint8_t* pixels = image.GetMipLevel(0);
    const int32_t pitch = image.GetRowPitch();
    for (int32_t y = 0; y < kStubSize; ++y) {
        for (int32_t x = 0; x < kStubSize; ++x) {
            uint8_t* pixel = pixels + y * pitch + x * 3;  // B, G, R
            const bool blue = ((x >> 3) & 1) != ((y >> 3) & 1);
            pixel[0] = 255;
            pixel[1] = pixel[2] = blue ? 51 : 255;
        }
    }
    PlainTexture* texture = NewPlainTexture();
    texture->CreateFromMemoryTexture(&image, 0);
    stubTexture = AddTexture("<stub>", texture, 1);
    return stubTexture;
}

ManagedTexture* TextureManager::GetTexture(const std::string& name) {
    if (name.empty()) {
        ManagedTexture* stub = GetStubTexture();
        stub->AddRef();
        return stub;
    }
    if (ManagedTexture* cached = FindTexture(name)) {
        cached->AddRef();
        return cached;
    }
    Texture* texture = nullptr;
    if (name.size() == 2 && name[0] == '#' && name[1] >= 'a' && name[1] <= 'd') {
        if (OverThreshold())
            Drain(30);
        static const int32_t kTargetSizes[] = {256, 256, 512, 1024};
        texture = NewRenderTarget(kTargetSizes[name[1] - 'a']);
    } else {
        if (PlatformRenderer::IsFrameOpen() && !Win32::IsRunningInEditor())
            AssertionFailed(kSource, 311);
        std::string found;
        if (!Texture::FindImageFile(name, found)) {
            ManagedTexture* stub = GetStubTexture();
            stub->AddRef();
            return stub;
        }
        PlainTexture* plain = NewPlainTexture();
        plain->LoadFromFile(found);
        texture = plain;
        if (OverThreshold())
            Drain(30);
        CollectPreloadingName(name);
    }
    return AddTexture(name, texture, 1);
}

void TextureManager::CollectPreloadingName(const std::string& name) {
    if (!collectingPreloadingTextures)
        return;
    if (std::find(preloadingList.begin(), preloadingList.end(), name) == preloadingList.end())
        preloadingList.push_back(name);
}

std::string TextureManager::NormalizeTextureName(const std::string& path) {
    if (path.empty() || path[0] == '#')
        return ToLower(path);
    const size_t dot = path.find_last_of("./\\");
    if (dot != std::string::npos && path[dot] == '.')
        return ToLower(path.substr(0, dot));
    return ToLower(path);
}

bool TextureManager::Drain(int32_t percent) {
    // In 64 bits: a script may ask for any percentage.
    int64_t left = std::max<int64_t>(1, int64_t(textures.GetCount()) * percent / 100);
    bool unloaded = false;
    ManagedTexture* texture = textures.GetTail();
    while (texture && left > 0) {
        ManagedTexture* previous = IntrusiveList<ManagedTexture>::GetPrevious(texture);
        if (texture->GetRefCount() == 0) {
            Unload(texture);
            unloaded = true;
            --left;
        }
        texture = previous;
    }
    return unloaded;
}

uint32_t TextureManager::CalcMemoryUsage() {
    uint32_t bytes = 0;
    for (ManagedTexture* texture = textures.GetHead(); texture;
         texture = IntrusiveList<ManagedTexture>::GetNext(texture))
        bytes += static_cast<uint32_t>(texture->GetMemorySize());
    return bytes;
}

void TextureManager::Update(int32_t timeDelta) {
    if (startCountdown >= 0) {
        const int32_t before = startCountdown;
        startCountdown -= timeDelta;
        if (before - 2 * timeDelta < 0) {
            nextPreloadIndex = 0;
            preloadingActive = true;
        }
    }
    if (!preloadingActive || nextPreloadIndex >= static_cast<int32_t>(preloadingList.size()) ||
        !preloadingThread->IsDone())
        return;

    const std::string& path = preloadingThread->GetRequestedPath();
    if (!path.empty() && !FindTexture(path) && preloadingThread->GetResult()) {
        if (OverThreshold())
            Drain(20);
        PlainTexture* texture = NewPlainTexture();
        texture->CreateFromMemoryTexture(preloadingThread->GetResult(), TextureFlagsOf(path));
        AddTexture(path, texture, 0);
    } else if (path.empty() && !requestedName.empty() && preloadingList[nextPreloadIndex] == requestedName) {
        // The listed name has no image file (any more): it is passed over rather than
        // asked for again and again.
        ++nextPreloadIndex;
    }
    requestedName.clear();
    for (; nextPreloadIndex < static_cast<int32_t>(preloadingList.size()); ++nextPreloadIndex) {
        const std::string& name = preloadingList[nextPreloadIndex];
        if (FindTexture(name))
            continue;
        requestedName = name;
        preloadingThread->Request(name);
        break;
    }
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
