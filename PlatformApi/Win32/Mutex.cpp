#include <fcntl.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "LayerInternal.h"
#include "win32_errors.h"
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

std::string LockFilePath(const std::string& name) {
    std::string folder = PlatformInternal::GetEnv("XDG_RUNTIME_DIR");
    if (folder.empty()) {
        std::error_code error;
        folder = std::filesystem::temp_directory_path(error).string();
        if (error || folder.empty())
            folder = "/tmp";
    }
    std::string fileName = name;
    for (char& c : fileName)
        if (c == '/' || c == '\\')
            c = '_';
    if (folder.back() != '/')
        folder += '/';
    return folder + fileName + ".lock";
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
            const int file = ::open(LockFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            if (file < 0) {
                SetLastError(PlatformInternal::ErrnoToWin32(errno));
                return nullptr;
            }
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
