#include "Common/BundleSystem.h"

#include <algorithm>
#include <iterator>

#include "Common/CoreUtils.h"
#include "Common/PackedBundle.h"
#include "Common/StringUtils.h"

namespace Zep {

namespace {

typedef Detail::ThreadSyncGuard LockGuard;

const uint32_t writingFlags = FS_OPEN_WRITE | FS_OPEN_CREATE | FS_OPEN_TRUNCATE;

FileSystem* Files() {
    return FileSystem::GetInstance();
}

}  // namespace

// --- Bundle --------------------------------------------------------------------------

Bundle::Bundle(const std::string& path) : name(GetNormalizedPath(path)) {}

Bundle::~Bundle() {}

bool Bundle::IsFileAtEof(FileHandle handle) {
    return handle->position >= handle->size;
}

int64_t Bundle::GetFileSizeByPath(const std::string& path) {
    FileHandle file = OpenFile(path, FS_OPEN_READ);
    if (!file)
        return -1;
    const int64_t size = GetFileSize(file);
    CloseFile(file);
    return size;
}

bool Bundle::ImportFile(const std::string& platformPath, const std::string& bundlePath) {
    FileSystem* files = Files();
    FileHandle source = files->OpenFile(platformPath, FS_OPEN_READ);
    if (!source)
        return false;
    const int64_t size = files->GetFileSize(source);
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    const int64_t read = size > 0 ? files->ReadFile(source, buffer.data(), size) : 0;
    files->CloseFile(source);
    if (read != size)
        return false;

    FileHandle target = OpenFile(bundlePath, FS_OPEN_TRUNCATE);
    if (!target)
        return false;
    const int64_t written = size > 0 ? WriteFile(target, buffer.data(), size) : 0;
    CloseFile(target);
    return written == size;
}

int Bundle::CloseAllFiles() {
    LockGuard guard(&lock);
    int closed = 0;
    while (OpenFileRecord* record = openFiles.FindFirst(false)) {
        CloseFile(record);
        ++closed;
    }
    return closed;
}

// --- PlainBundle ---------------------------------------------------------------------

PlainBundle::PlainBundle(const std::string& folder) : Bundle(folder) {}

PlainBundle::~PlainBundle() {}

bool PlainBundle::ResolvePath(const std::string& path, std::string& platformPath) const {
    const std::string normalized = GetNormalizedPath(path);
    if (normalized.compare(0, 2, "./") == 0 || normalized.compare(0, 2, "..") == 0)
        return false;
    platformPath = ConcatPaths(name, normalized);
    return true;
}

bool PlainBundle::PathExists(const std::string& path, int kind) {
    std::string platformPath;
    return ResolvePath(path, platformPath) && Files()->PathExists(platformPath, kind);
}

bool PlainBundle::GetDirectoryContents(std::vector<std::string>& entries, const std::string& path, int flags,
                                       bool recursive) {
    std::string platformPath;
    return ResolvePath(path, platformPath) && Files()->GetDirectoryContents(entries, platformPath, flags, recursive);
}

int64_t PlainBundle::GetFileSize(FileHandle handle) {
    return Files()->GetFileSize(handle);
}

int64_t PlainBundle::GetFileSizeByPath(const std::string& path) {
    std::string platformPath;
    if (!ResolvePath(path, platformPath))
        return 0;
    return Files()->GetFileSizeByPath(platformPath);
}

FileHandle PlainBundle::OpenFile(const std::string& path, uint32_t flags) {
    std::string platformPath;
    return ResolvePath(path, platformPath) ? Files()->OpenFile(platformPath, flags) : nullptr;
}

void PlainBundle::CloseFile(FileHandle handle) {
    Files()->CloseFile(handle);
}

int64_t PlainBundle::SeekFile(FileHandle handle, int64_t offset, int origin) {
    return Files()->SeekFile(handle, offset, origin);
}

bool PlainBundle::SetEndOfFile(FileHandle handle) {
    return Files()->SetEndOfFile(handle);
}

int64_t PlainBundle::ReadFile(FileHandle handle, void* buffer, int64_t bytes) {
    return Files()->ReadFile(handle, buffer, bytes);
}

int64_t PlainBundle::WriteFile(FileHandle handle, const void* buffer, int64_t bytes) {
    return Files()->WriteFile(handle, buffer, bytes);
}

bool PlainBundle::CreateDirectory(const std::string& path, bool recursive) {
    std::string platformPath;
    return ResolvePath(path, platformPath) && Files()->CreateDirectory(platformPath, recursive);
}

bool PlainBundle::RemoveDirectory(const std::string& path, bool recursive) {
    std::string platformPath;
    return ResolvePath(path, platformPath) && Files()->RemoveDirectory(platformPath, recursive);
}

bool PlainBundle::DeleteFile(const std::string& path) {
    std::string platformPath;
    return ResolvePath(path, platformPath) && Files()->DeleteFile(platformPath);
}

// --- BundleSystem --------------------------------------------------------------------

BundleSystem::BundleSystem() : Bundle(std::string()) {}

BundleSystem::~BundleSystem() {
    // Mount order: the first mounted goes first.
    for (std::unique_ptr<Bundle>& bundle : bundles)
        bundle.reset();
    bundles.clear();
}

BundleSystem* BundleSystem::GetInstance() {
    return SubSystemSingleton<BundleSystem, BundleSystem>::Instance();
}

Bundle* BundleSystem::OwnerOf(FileHandle handle, const char* operation) {
    if (handles.find(handle) == handles.end())
        AssertionFailed(
            ZEP_SOURCE_FILE, __LINE__,
            std::string("Zep::BundleSystem.") + operation + "(): file handle is wrong or file is not opened");
    return static_cast<Bundle*>(handle->bundle);
}

bool BundleSystem::PathExists(const std::string& path, int kind) {
    LockGuard guard(&systemLock);
    for (auto it = bundles.rbegin(); it != bundles.rend(); ++it) {
        if ((*it)->PathExists(path, kind))
            return true;
    }
    return false;
}

bool BundleSystem::GetDirectoryContents(std::vector<std::string>& entries, const std::string& path, int flags,
                                        bool recursive) {
    LockGuard guard(&systemLock);
    entries.clear();
    bool found = false;
    std::vector<std::string> listing;
    std::vector<std::string> merged;
    for (std::unique_ptr<Bundle>& bundle : bundles) {
        // A folder that only some bundles hold (often only "contents.dat") is still listed.
        if (!bundle->PathExists(path, FS_PATH_DIRECTORY))
            continue;
        found = true;
        listing.clear();
        if (!bundle->GetDirectoryContents(listing, path, flags, recursive))
            return false;
        std::sort(listing.begin(), listing.end());
        listing.erase(std::unique(listing.begin(), listing.end()), listing.end());
        merged.clear();
        merged.reserve(entries.size() + listing.size());
        std::set_union(entries.begin(), entries.end(), listing.begin(), listing.end(), std::back_inserter(merged));
        entries.swap(merged);
    }
    if (!found) {
        Files()->SetLastError(FS_ERROR_NOT_FOUND);
        return false;
    }
    return true;
}

int64_t BundleSystem::GetFileSize(FileHandle handle) {
    LockGuard guard(&systemLock);
    return OwnerOf(handle, "GetFileSize")->GetFileSize(handle);
}

int64_t BundleSystem::GetFileSizeByPath(const std::string& path) {
    LockGuard guard(&systemLock);
    for (auto it = bundles.rbegin(); it != bundles.rend(); ++it) {
        if ((*it)->PathExists(path, FS_PATH_FILE))
            return (*it)->GetFileSizeByPath(path);
    }
    return -1;
}

FileHandle BundleSystem::OpenFile(const std::string& path, uint32_t flags) {
    LockGuard guard(&systemLock);
    Bundle* owner = nullptr;
    if (NormalizeOpenFlags(flags) & writingFlags) {
        owner = GetBundleForWriting();
    } else {
        for (auto it = bundles.rbegin(); it != bundles.rend() && !owner; ++it) {
            if ((*it)->PathExists(path, FS_PATH_FILE))
                owner = it->get();
        }
    }
    if (!owner)
        return nullptr;
    FileHandle handle = owner->OpenFile(path, flags);
    if (handle) {
        handle->bundle = owner;
        handles.insert(handle);
    }
    return handle;
}

void BundleSystem::CloseFile(FileHandle handle) {
    if (!handle)
        return;
    LockGuard guard(&systemLock);
    Bundle* owner = OwnerOf(handle, "CloseFile");
    handles.erase(handle);
    owner->CloseFile(handle);
}

int64_t BundleSystem::SeekFile(FileHandle handle, int64_t offset, int origin) {
    LockGuard guard(&systemLock);
    return OwnerOf(handle, "SeekFile")->SeekFile(handle, offset, origin);
}

bool BundleSystem::IsFileAtEof(FileHandle handle) {
    LockGuard guard(&systemLock);
    OwnerOf(handle, "IsFileAtEof");
    return Bundle::IsFileAtEof(handle);
}

bool BundleSystem::SetEndOfFile(FileHandle handle) {
    LockGuard guard(&systemLock);
    return OwnerOf(handle, "SetEndOfFile")->SetEndOfFile(handle);
}

int64_t BundleSystem::ReadFile(FileHandle handle, void* buffer, int64_t bytes) {
    LockGuard guard(&systemLock);
    return OwnerOf(handle, "ReadFile")->ReadFile(handle, buffer, bytes);
}

int64_t BundleSystem::WriteFile(FileHandle handle, const void* buffer, int64_t bytes) {
    LockGuard guard(&systemLock);
    return OwnerOf(handle, "WriteFile")->WriteFile(handle, buffer, bytes);
}

bool BundleSystem::CreateDirectory(const std::string& path, bool recursive) {
    LockGuard guard(&systemLock);
    Bundle* bundle = GetBundleForWriting();
    return bundle && bundle->CreateDirectory(path, recursive);
}

bool BundleSystem::RemoveDirectory(const std::string& path, bool recursive) {
    LockGuard guard(&systemLock);
    Bundle* bundle = GetBundleForWriting();
    return bundle && bundle->RemoveDirectory(path, recursive);
}

bool BundleSystem::DeleteFile(const std::string& path) {
    LockGuard guard(&systemLock);
    Bundle* bundle = GetBundleForWriting();
    return bundle && bundle->DeleteFile(path);
}

Bundle* BundleSystem::GetBundleForWriting() {
    LockGuard guard(&systemLock);
    if (bundles.empty())
        return nullptr;
    if (bundlePathForWriting.empty())
        return bundles.back().get();
    const std::string wanted = GetNormalizedPath(bundlePathForWriting);
    for (std::unique_ptr<Bundle>& bundle : bundles) {
        if (bundle->GetName() == wanted)
            return bundle.get();
    }
    return nullptr;
}

void BundleSystem::Append(std::unique_ptr<Bundle> bundle) {
    LockGuard guard(&systemLock);
    bundles.push_back(std::move(bundle));
}

void BundleSystem::MountDirectory(const std::string& path) {
    Append(std::unique_ptr<Bundle>(new PlainBundle(path)));
}

void BundleSystem::MountPackage(const std::string& path, uint32_t mode) {
    // A bad file panics here, before anything joins the list.
    std::unique_ptr<Bundle> bundle(new PackedBundle(path, mode));
    Append(std::move(bundle));
}

bool BundleSystem::Unmount(const std::string& path) {
    LockGuard guard(&systemLock);
    const std::string wanted = GetNormalizedPath(path);
    for (FileHandle handle : handles) {
        const Bundle* owner = static_cast<const Bundle*>(handle->bundle);
        if (owner->GetName() == wanted) {
            // Its handles would dangle: nothing is unmounted.
            LogWarning("Zep::BundleSystem.Unmount(): bundle \"" + wanted +
                       "\" is still in use (some files are opened)\n");
            Files()->SetLastError(FS_ERROR_BUNDLE_IN_USE);
            return false;
        }
    }
    // Destroyed in mount order, like at exit.
    std::vector<std::unique_ptr<Bundle>> kept;
    for (std::unique_ptr<Bundle>& bundle : bundles) {
        if (bundle->GetName() == wanted)
            bundle.reset();
        else
            kept.push_back(std::move(bundle));
    }
    bundles.swap(kept);
    return true;
}

void BundleSystem::SetBundlePathForWriting(const std::string& path) {
    LockGuard guard(&systemLock);
    bundlePathForWriting = path;
}

std::string BundleSystem::GetBundlePathForWriting() {
    LockGuard guard(&systemLock);
    return bundlePathForWriting;
}

std::vector<Bundle*> BundleSystem::GetBundles() {
    LockGuard guard(&systemLock);
    std::vector<Bundle*> result;
    for (std::unique_ptr<Bundle>& bundle : bundles)
        result.push_back(bundle.get());
    return result;
}

size_t BundleSystem::GetOpenFileCount() {
    LockGuard guard(&systemLock);
    return handles.size();
}

}  // namespace Zep
