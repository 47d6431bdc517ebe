#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "LayerInternal.h"
#include "win32_errors.h"
#include "win32_process.h"
#include "win32_sync.h"

namespace {

// A recursive lock with an owner, as a Win32 mutex. A named one also holds an
// exclusive flock on its lock file while it is owned.
class KernelMutex : public PlatformInternal::KernelObject {
public:
    explicit KernelMutex(int lockFile) : lockFile_(lockFile) {}

    ~KernelMutex() override {
        if (lockFile_ >= 0)
            ::close(lockFile_);
    }

    DWORD Wait(DWORD milliseconds) override {
        const DWORD self = GetCurrentThreadId();
        std::unique_lock<std::mutex> guard(lock_);
        if (owner_ == self) {
            ++count_;
            return WAIT_OBJECT_0;
        }
        auto free = [this] { return owner_ == 0; };
        if (milliseconds == INFINITE) {
            released_.wait(guard, free);
        } else if (!released_.wait_for(guard, std::chrono::milliseconds(milliseconds), free)) {
            return WAIT_TIMEOUT;
        }
        if (lockFile_ >= 0) {
            // Another process may hold the name: block only for an infinite wait.
            const int operation = milliseconds == INFINITE ? LOCK_EX : (LOCK_EX | LOCK_NB);
            int result;
            do {
                result = ::flock(lockFile_, operation);
            } while (result != 0 && errno == EINTR);
            if (result != 0)
                return errno == EWOULDBLOCK ? WAIT_TIMEOUT : WAIT_FAILED;
        }
        owner_ = self;
        count_ = 1;
        return WAIT_OBJECT_0;
    }

    bool Release() {
        std::lock_guard<std::mutex> guard(lock_);
        if (owner_ != GetCurrentThreadId())
            return false;
        if (--count_ == 0) {
            if (lockFile_ >= 0)
                ::flock(lockFile_, LOCK_UN);
            owner_ = 0;
            released_.notify_one();
        }
        return true;
    }

private:
    std::mutex lock_;
    std::condition_variable released_;
    DWORD owner_ = 0;
    unsigned count_ = 0;
    int lockFile_;
};

std::mutex namedLock;
typedef std::map<
    PlatformInternal::SystemString, std::weak_ptr<KernelMutex>, std::less<PlatformInternal::SystemString>,
    PlatformInternal::SystemAllocator<std::pair<const PlatformInternal::SystemString, std::weak_ptr<KernelMutex>>>>
    NameTable;

NameTable& NamedMutexes() {
    static NameTable* names = PlatformInternal::NewSystemObject<NameTable>();
    return *names;
}

// The lock file's name: the mutex name with '/' and '\\' turned into '_'.
std::string LockFileName(const std::string& name) {
    std::string fileName = name;
    for (char& c : fileName)
        if (c == '/' || c == '\\')
            c = '_';
    return fileName + ".lock";
}

void ReportRefusedFolder(const std::string& folder, const char* reason) {
    char text[512];
    std::snprintf(text, sizeof(text), "Error: named mutexes refused: lock folder \"%s\" %s\n", folder.c_str(), reason);
    OutputDebugStringA(text);
}

// The folder of this user's lock files, opened: XDG_RUNTIME_DIR when it is set (the
// user's own by definition); otherwise a folder in the temporary folder named with the
// user id, made with mode 0700 and used only when it is a real folder of this user that
// nobody else may enter, so that two users' locks never meet. -1 with the Win32 error
// set when there is no such folder.
int OpenLockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        const int folder = ::open(runtime, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0)
            SetLastError(PlatformInternal::ErrnoToWin32(errno));
        return folder;
    }
    std::error_code error;
    std::string path = std::filesystem::temp_directory_path(error).string();
    if (error || path.empty())
        path = "/tmp";
    if (path.back() != '/')
        path += '/';
    const uid_t user = ::geteuid();
    path += "zepbox-mutexes-" + std::to_string(user);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        SetLastError(PlatformInternal::ErrnoToWin32(errno));
        ReportRefusedFolder(path, "cannot be made");
        return -1;
    }
    const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    const char* refusal = nullptr;
    if (folder < 0 || ::fstat(folder, &info) != 0)
        refusal = "is not a folder (a link, or something else)";
    else if (info.st_uid != user)
        refusal = "belongs to another user";
    else if ((info.st_mode & 077) != 0)
        refusal = "is open to other users (its mode must be 0700)";
    if (refusal) {
        if (folder >= 0)
            ::close(folder);
        SetLastError(ERROR_ACCESS_DENIED);
        ReportRefusedFolder(path, refusal);
        return -1;
    }
    return folder;
}

// Opens (or makes) the lock file of a named mutex; -1 with the Win32 error set.
int OpenLockFile(const std::string& name) {
    const int folder = OpenLockFolder();
    if (folder < 0)
        return -1;
    const int file = ::openat(folder, LockFileName(name).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (file < 0)
        SetLastError(PlatformInternal::ErrnoToWin32(errno));
    ::close(folder);
    return file;
}

}  // namespace

DWORD GetCurrentThreadId() {
    thread_local const DWORD id = static_cast<DWORD>(::syscall(SYS_gettid));
    return id;
}

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
    std::shared_ptr<KernelMutex> mutex;
    bool existed = false;
    if (name && *name) {
        std::lock_guard<std::mutex> guard(namedLock);
        const PlatformInternal::SystemString key(name);
        mutex = NamedMutexes()[key].lock();
        if (mutex) {
            existed = true;
        } else {
            const int file = OpenLockFile(name);
            if (file < 0)
                return nullptr;
            mutex = PlatformInternal::MakeSystemShared<KernelMutex>(file);
            NamedMutexes()[key] = mutex;
        }
    } else {
        mutex = PlatformInternal::MakeSystemShared<KernelMutex>(-1);
    }
    if (initialOwner && !existed)
        mutex->Wait(INFINITE);
    HANDLE handle = PlatformInternal::AddHandle(mutex);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReleaseMutex(HANDLE handle) {
    std::shared_ptr<KernelMutex> mutex = PlatformInternal::FindHandleAs<KernelMutex>(handle);
    if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mutex->Release()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}
