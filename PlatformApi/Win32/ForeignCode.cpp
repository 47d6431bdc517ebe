#include "ForeignCode.h"

namespace {

thread_local int foreignDepth = 0;

}  // namespace

bool PlatformProcess::InForeignLibrary() {
    return foreignDepth > 0;
}

PlatformProcess::ForeignLibraryScope::ForeignLibraryScope() {
    ++foreignDepth;
}

PlatformProcess::ForeignLibraryScope::~ForeignLibraryScope() {
    --foreignDepth;
}
