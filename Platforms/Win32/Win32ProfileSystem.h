// The Windows implementation of the profileSystem.
#pragma once

#include "Common/ProfileSystem.h"

namespace Zep {
namespace Win32 {

class ProfileSystem : public Zep::ProfileSystem {
public:
    ProfileSystem();
    ~ProfileSystem() override;
};

}  // namespace Win32
}  // namespace Zep
