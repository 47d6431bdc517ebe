// The engine's named variables.
#pragma once

namespace Zep {

class VarManager {
public:
    virtual ~VarManager();

    static VarManager* GetInstance();

protected:
    VarManager();
};

}  // namespace Zep
