// The file system interface.
#pragma once

namespace Zep {

class FileSystem {
public:
    virtual ~FileSystem();

    static FileSystem* GetInstance();

protected:
    FileSystem();
};

}  // namespace Zep
