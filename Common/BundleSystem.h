// The virtual file tree over the mounted bundles.
#pragma once

namespace Zep {

class BundleSystem {
public:
    virtual ~BundleSystem();

    static BundleSystem* GetInstance();

protected:
    BundleSystem();
};

}  // namespace Zep
