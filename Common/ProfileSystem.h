// Per-user profile files.
#pragma once

namespace Zep {

class ProfileSystem {
public:
    virtual ~ProfileSystem();

    static ProfileSystem* GetInstance();

protected:
    ProfileSystem();
};

}  // namespace Zep
