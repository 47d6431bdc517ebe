#include "Common/Exceptions.h"

#include <cstring>

#include "Common/MemoryManager.h"

namespace Zep {
namespace Exception {

Generic::Generic(const std::string& text) noexcept : message(nullptr), ownsMessage(false) {
    AdoptCopyOf(text.c_str());
}

Generic::Generic(CopiedText text) noexcept : message(nullptr), ownsMessage(false) {
    AdoptCopyOf(text.text ? text.text : "");
}

Generic::Generic(const Generic& other) noexcept : std::exception(other), message(nullptr), ownsMessage(false) {
    CopyFrom(other);
}

Generic& Generic::operator=(const Generic& other) noexcept {
    if (this != &other) {
        Release();
        CopyFrom(other);
    }
    return *this;
}

Generic::~Generic() {
    Release();
}

const char* Generic::what() const noexcept {
    return message ? message : "Unknown exception";
}

void Generic::CopyFrom(const Generic& other) noexcept {
    if (other.ownsMessage) {
        AdoptCopyOf(other.message);
    } else {
        message = other.message;
        ownsMessage = false;
    }
}

void Generic::AdoptCopyOf(const char* text) noexcept {
    const size_t size = std::strlen(text) + 1;
    // Without memory for the copy the exception carries no text.
    char* copy = static_cast<char*>(MemoryManager::AllocateFromSafeHeap(size));
    if (copy) {
        std::memcpy(copy, text, size);
        message = copy;
        ownsMessage = true;
    } else {
        message = nullptr;
        ownsMessage = false;
    }
}

void Generic::Release() noexcept {
    if (ownsMessage)
        MemoryManager::Deallocate(const_cast<char*>(message));
    message = nullptr;
    ownsMessage = false;
}

}  // namespace Exception
}  // namespace Zep
