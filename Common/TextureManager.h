// Named, reference-counted textures.
#pragma once

namespace Zep {

class TextureManager {
public:
    virtual ~TextureManager();

    static TextureManager* GetInstance();

protected:
    TextureManager();
};

}  // namespace Zep
