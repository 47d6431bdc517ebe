// The Windows implementation of the fileSystem.
#pragma once

#include "Common/FileSystem.h"

namespace Zep {
namespace Win32 {

class FileSystem : public Zep::FileSystem {
public:
    FileSystem();
    ~FileSystem() override;
};

}  // namespace Win32
}  // namespace Zep
