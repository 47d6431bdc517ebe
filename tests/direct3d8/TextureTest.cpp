// Texture formats and their answers, levels, loading from memory (with the DXT decoding),
// generated mip levels, render-target textures, references and what a Reset keeps.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Direct3D8TestSupport.h"
#include "TestHooks.h"

namespace {

using D3D8Test::ColorNear;
using D3D8Test::DrawnTexels;
using D3D8Test::LockedTexels;

typedef std::vector<uint8_t> Bytes;
typedef std::vector<uint32_t> Texels;

class TextureTest : public D3D8Test::DeviceTest {
protected:
    void TearDown() override {
        PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, false);
        PlatformTest::FailTextureCreations(0, D3D_OK);
        DeviceTest::TearDown();
    }

    IDirect3DTexture8* Create(UINT width, UINT height, UINT levels, D3DFORMAT format, DWORD usage = 0) {
        IDirect3DTexture8* texture = nullptr;
        const D3DPOOL pool = usage ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
        EXPECT_EQ(D3DXCreateTexture(device_, width, height, levels, usage, format, pool, &texture), D3D_OK);
        return texture;
    }

    HRESULT Load(IDirect3DTexture8* texture, UINT level, const void* source, D3DFORMAT format, UINT pitch,
                 const RECT& rect) {
        IDirect3DSurface8* surface = nullptr;
        if (texture->GetSurfaceLevel(level, &surface) != D3D_OK)
            return E_FAIL;
        const HRESULT result = D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, source, format, pitch, nullptr,
                                                         &rect, D3DX_FILTER_NONE, 0);
        surface->Release();
        return result;
    }

    // Level 0 of a render-target texture, or the back buffer for null, becomes the target.
    void Target(IDirect3DTexture8* texture) {
        IDirect3DSurface8* surface = nullptr;
        if (texture)
            texture->GetSurfaceLevel(0, &surface);
        else
            device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface);
        EXPECT_EQ(device_->SetRenderTarget(surface, nullptr), D3D_OK);
        surface->Release();
    }
};

// --- DXT blocks as the S3TC format lays them out ------------------------------------------------

// End colours in 5:6:5 and the 2-bit index of each texel, rows top first.
Bytes ColorBlock(uint16_t c0, uint16_t c1, const std::vector<int>& indices) {
    uint32_t bits = 0;
    for (int texel = 0; texel < 16; ++texel)
        bits |= static_cast<uint32_t>(indices[texel % indices.size()]) << (2 * texel);
    return {uint8_t(c0),   uint8_t(c0 >> 8),   uint8_t(c1),         uint8_t(c1 >> 8),
            uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
}

Bytes Dxt3Block(const Bytes& colors) {
    // Alpha of texel i is i.
    Bytes block = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
    block.insert(block.end(), colors.begin(), colors.end());
    return block;
}

Bytes Dxt5Block(uint8_t a0, uint8_t a1, const Bytes& colors) {
    // Alpha index of texel i is i % 8.
    Bytes block = {a0, a1};
    uint64_t bits = 0;
    for (int texel = 0; texel < 16; ++texel)
        bits |= static_cast<uint64_t>(texel % 8) << (3 * texel);
    for (int i = 0; i < 6; ++i)
        block.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    block.insert(block.end(), colors.begin(), colors.end());
    return block;
}

// 16 texels from a repeated pattern.
Texels Repeat(const Texels& pattern) {
    Texels texels;
    for (int i = 0; i < 16; ++i)
        texels.push_back(pattern[i % pattern.size()]);
    return texels;
}

const uint16_t kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F, kWhite = 0xFFFF;
const std::vector<int> kFirstRowCounts = {0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

TEST_F(TextureTest, CheckDeviceFormatAnswersAndTheHookOverridesIt) {
    struct Case {
        D3DFORMAT format;
        DWORD usage;
        HRESULT expected;
        D3DFORMAT overridden = D3DFMT_UNKNOWN;
        bool supported = false;
    };
    const DWORD target = D3DUSAGE_RENDERTARGET;
    const HRESULT no = D3DERR_NOTAVAILABLE;
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 0, D3D_OK},
        {D3DFMT_X8R8G8B8, 0, D3D_OK},
        {D3DFMT_A4R4G4B4, 0, D3D_OK},
        {D3DFMT_R5G6B5, 0, D3D_OK},
        {D3DFMT_DXT1, 0, D3D_OK},
        {D3DFMT_DXT3, 0, D3D_OK},
        {D3DFMT_DXT5, 0, D3D_OK},
        {D3DFMT_R8G8B8, 0, no},
        {D3DFMT_P8, 0, no},
        {D3DFMT_A8P8, 0, no},
        {D3DFMT_A8R8G8B8, target, D3D_OK},
        {D3DFMT_X8R8G8B8, target, D3D_OK},
        {D3DFMT_A4R4G4B4, target, no},
        {D3DFMT_DXT1, target, no},
        {D3DFMT_DXT5, 0, no, D3DFMT_DXT5, false},
        {D3DFMT_R5G6B5, 0, no, D3DFMT_R5G6B5, false},
        {D3DFMT_A8R8G8B8, target, no, D3DFMT_A8R8G8B8, false},
        {D3DFMT_R8G8B8, 0, D3D_OK, D3DFMT_R8G8B8, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " usage " << c.usage << " override " << c.overridden);
        PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, false);
        if (c.overridden != D3DFMT_UNKNOWN)
            PlatformTest::SetFormatSupported(c.overridden, c.supported);
        EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, D3DRTYPE_TEXTURE, c.format),
                  c.expected);
        // What the answer refuses cannot be made either (a DXT image then takes A8R8G8B8).
        IDirect3DTexture8* texture = nullptr;
        const D3DPOOL pool = c.usage ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
        const HRESULT created = D3DXCreateTexture(device_, 8, 8, 1, c.usage, c.format, pool, &texture);
        EXPECT_TRUE(c.expected == D3D_OK || created == D3DERR_NOTAVAILABLE);
        if (texture)
            texture->Release();
    }
}

TEST_F(TextureTest, FailTextureCreationsFailsTheNextValidCreations) {
    for (const HRESULT injected : {D3DERR_OUTOFVIDEOMEMORY, E_OUTOFMEMORY}) {
        PlatformTest::FailTextureCreations(2, injected);
        IDirect3DTexture8* texture = nullptr;
        // A call with bad arguments fails on them and leaves the injected failures.
        EXPECT_EQ(D3DXCreateTexture(device_, 0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
                  D3DERR_INVALIDCALL);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(D3DXCreateTexture(device_, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
                      i < 2 ? injected : D3D_OK);
        }
        texture->Release();
    }
}

TEST_F(TextureTest, LevelsHaveTheirSizesAndPitchesAndStartTransparentBlack) {
    struct Case {
        D3DFORMAT format;
        UINT width, height, levels;  // levels that 0 makes
        INT pitch;                   // of level 0: whole pixels padded to 4 bytes, or a row of blocks
        UINT bytes;
        uint32_t drawn;  // what level 0 draws as
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 8, 2, 4, 32, 64, 0x00000000}, {D3DFMT_X8R8G8B8, 4, 4, 3, 16, 64, 0xFF000000},
        {D3DFMT_A4R4G4B4, 3, 2, 2, 8, 16, 0x00000000},  {D3DFMT_R5G6B5, 5, 1, 3, 12, 12, 0xFF000000},
        {D3DFMT_DXT1, 8, 8, 4, 16, 32, 0x00000000},     {D3DFMT_DXT3, 12, 8, 4, 48, 96, 0x00000000},
        {D3DFMT_DXT5, 8, 6, 4, 32, 64, 0x00000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        IDirect3DTexture8* texture = Create(c.width, c.height, 0, c.format);
        ASSERT_NE(texture, nullptr);
        IDirect3DSurface8* surface = nullptr;
        EXPECT_EQ(texture->GetSurfaceLevel(c.levels, &surface), D3DERR_INVALIDCALL);
        ASSERT_EQ(texture->GetSurfaceLevel(c.levels - 1, &surface), D3D_OK);
        D3DSURFACE_DESC desc;
        surface->GetDesc(&desc);
        EXPECT_TRUE(desc.Width == 1 && desc.Height == 1 && desc.Format == c.format);
        surface->Release();
        texture->GetSurfaceLevel(0, &surface);
        surface->GetDesc(&desc);
        EXPECT_EQ(desc.Size, c.bytes);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(locked.Pitch, c.pitch);
        surface->UnlockRect();
        surface->Release();
        for (uint32_t texel : DrawnTexels(device_, texture, c.width, c.height))
            ASSERT_EQ(texel, c.drawn);
        texture->Release();
    }
}

TEST_F(TextureTest, LoadedPixelsDrawAsTheHandComputedTexels) {
    struct Case {
        const char* name;
        D3DFORMAT textureFormat, sourceFormat;
        UINT width, height;  // of the texture; the image fills it unless rect says otherwise
        Bytes source;
        UINT pitch;
        Texels expected;
        RECT rect = {0, 0, 0, 0};
    };
    const Bytes a4r4g4b4 = {0x0F, 0xF0, 0x21, 0x84, 0x00, 0x00, 0xFF, 0x7F};
    const Texels a4r4g4b4Texels = {0xFF0000FF, 0x88442211, 0x00000000, 0x77FFFFFF};
    const Bytes r5g6b5 = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
    const Texels r5g6b5Texels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF848284};
    const Bytes r8g8b8 = {0x56, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0};
    const Texels r8g8b8Texels = {0xFF123456, 0xFFABCDEF, 0xFF030201, 0xFF060504};
    const Bytes x8r8g8b8 = {0x78, 0x56, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x00};
    // A 2 x 2 image taken from inside a 4 x 3 source; the rest of the level stays transparent.
    Bytes inside(48);
    inside[20] = 1, inside[24] = 2, inside[36] = 3, inside[40] = 4, inside[23] = inside[27] = 0x80;
    const Texels insideTexels = {0x80000001, 0x80000002, 0, 0, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<Case> cases = {
        {"A4R4G4B4", D3DFMT_A4R4G4B4, D3DFMT_A4R4G4B4, 2, 2, a4r4g4b4, 4, a4r4g4b4Texels},
        {"A4R4G4B4 into A8R8G8B8", D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, 2, 2, a4r4g4b4, 4, a4r4g4b4Texels},
        {"R5G6B5", D3DFMT_R5G6B5, D3DFMT_R5G6B5, 2, 2, r5g6b5, 4, r5g6b5Texels},
        {"R8G8B8 into A8R8G8B8", D3DFMT_A8R8G8B8, D3DFMT_R8G8B8, 2, 2, r8g8b8, 8, r8g8b8Texels},
        {"X8R8G8B8", D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, 2, 1, x8r8g8b8, 8, {0xFF345678, 0xFFABCDEF}},
        {"part of a wider source", D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 4, 4, inside, 16, insideTexels, {1, 1, 3, 3}},
    };
    // Each DXT block through S3TC (within 1 of the hand-computed texels) and decoded by the
    // layer into A8R8G8B8 (exactly). DXT3 and DXT5 colours have four values whatever their
    // order; DXT1 three and transparent black when the first is not greater.
    Texels dxt3 = Repeat({0x0000FF, 0xFF0000, 0x5500AA, 0xAA0055});
    for (uint32_t i = 0; i < 16; ++i)
        dxt3[i] |= (i * 17) << 24;
    const Bytes white = ColorBlock(kWhite, kWhite, {0});
    struct Block {
        const char* name;
        D3DFORMAT format;
        Bytes bytes;
        Texels expected;
    };
    const Block blocks[] = {
        {"DXT1 four colours", D3DFMT_DXT1, ColorBlock(kRed, kBlue, kFirstRowCounts),
         Repeat({0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000,
                 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000})},
        {"DXT1 three colours", D3DFMT_DXT1, ColorBlock(kBlue, kRed, {0, 1, 2, 3}),
         Repeat({0xFF0000FF, 0xFFFF0000, 0xFF7F007F, 0x00000000})},
        {"DXT1 equal end colours", D3DFMT_DXT1, ColorBlock(kGreen, kGreen, {0, 1, 2, 3}),
         Repeat({0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0x00000000})},
        {"DXT3 explicit alpha", D3DFMT_DXT3, Dxt3Block(ColorBlock(kBlue, kRed, {0, 1, 2, 3})), dxt3},
        {"DXT5 six alphas, 0 and 255", D3DFMT_DXT5, Dxt5Block(0, 255, white),
         Repeat({0x00FFFFFF, 0xFFFFFFFF, 0x33FFFFFF, 0x66FFFFFF, 0x99FFFFFF, 0xCCFFFFFF, 0x00FFFFFF, 0xFFFFFFFF})},
        {"DXT5 eight alphas", D3DFMT_DXT5, Dxt5Block(255, 0, white),
         Repeat({0xFFFFFFFF, 0x00FFFFFF, 0xDAFFFFFF, 0xB6FFFFFF, 0x91FFFFFF, 0x6DFFFFFF, 0x48FFFFFF, 0x24FFFFFF})},
    };
    for (const Block& block : blocks) {
        const UINT pitch = static_cast<UINT>(block.bytes.size());
        cases.push_back({block.name, block.format, block.format, 4, 4, block.bytes, pitch, block.expected});
        cases.push_back({block.name, D3DFMT_A8R8G8B8, block.format, 4, 4, block.bytes, pitch, block.expected});
    }
    for (const Case& c : cases) {
        const bool converted = c.textureFormat != c.sourceFormat;
        SCOPED_TRACE(std::string(c.name) + (converted ? ", converted" : ""));
        IDirect3DTexture8* texture = Create(c.width, c.height, 1, c.textureFormat);
        ASSERT_NE(texture, nullptr);
        const RECT whole = {0, 0, static_cast<LONG>(c.width), static_cast<LONG>(c.height)};
        ASSERT_EQ(Load(texture, 0, c.source.data(), c.sourceFormat, c.pitch, c.rect.right ? c.rect : whole), D3D_OK);
        const Texels texels = DrawnTexels(device_, texture, c.width, c.height);
        // Only OpenGL's own DXT decoding and 5- and 6-bit expansions may round otherwise.
        const D3DFORMAT format = c.textureFormat;
        const bool byOpenGL =
            format == D3DFMT_R5G6B5 || format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
        const int tolerance = byOpenGL ? 1 : 0;
        ASSERT_EQ(texels.size(), c.expected.size());
        for (size_t i = 0; i < texels.size(); ++i)
            EXPECT_TRUE(ColorNear(texels[i], c.expected[i], tolerance)) << "texel " << i;
        texture->Release();
    }
}

TEST_F(TextureTest, LayersDxtDecodingAgreesWithS3tcWithinOnePerChannel) {
    // 64 blocks of pseudo-random bytes per format: every mode and index of each.
    uint32_t state = 12345;
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5}) {
        SCOPED_TRACE(format);
        const UINT pitch = 8 * (format == D3DFMT_DXT1 ? 8 : 16);
        Bytes source(8 * pitch);
        for (uint8_t& byte : source)
            byte = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 16);
        IDirect3DTexture8* compressed = Create(32, 32, 1, format);
        IDirect3DTexture8* decoded = Create(32, 32, 1, D3DFMT_A8R8G8B8);
        ASSERT_TRUE(compressed && decoded);
        ASSERT_EQ(Load(compressed, 0, source.data(), format, pitch, RECT{0, 0, 32, 32}), D3D_OK);
        ASSERT_EQ(Load(decoded, 0, source.data(), format, pitch, RECT{0, 0, 32, 32}), D3D_OK);
        const Texels byOpenGL = DrawnTexels(device_, compressed, 32, 32), byLayer = LockedTexels(decoded, 0, 32, 32);
        int differing = 0;
        for (size_t i = 0; i < byLayer.size(); ++i)
            differing += !ColorNear(byLayer[i], byOpenGL[i], 1);
        EXPECT_EQ(differing, 0);
        compressed->Release();
        decoded->Release();
    }
}

TEST_F(TextureTest, LoadsAndLocksOutsideWhatALevelTakesAreRefused) {
    IDirect3DTexture8* textures[3] = {Create(8, 8, 0, D3DFMT_A8R8G8B8), Create(8, 8, 0, D3DFMT_DXT5),
                                      Create(8, 8, 1, D3DFMT_A4R4G4B4)};
    ASSERT_TRUE(textures[0] && textures[1] && textures[2]);
    const Bytes source(1024);
    struct Case {
        const char* name;
        int texture;  // A8R8G8B8, DXT5, A4R4G4B4
        D3DFORMAT format;
        UINT pitch;
        RECT rect;
    };
    const Case cases[] = {
        {"rectangle wider than the level", 0, D3DFMT_A8R8G8B8, 64, {0, 0, 9, 8}},
        {"pitch below the rectangle's rows", 0, D3DFMT_A8R8G8B8, 28, {0, 0, 8, 8}},
        {"DXT pitch below a row of blocks", 1, D3DFMT_DXT5, 31, {0, 0, 8, 8}},
        {"DXT rectangle off the blocks", 1, D3DFMT_DXT5, 32, {2, 0, 6, 4}},
        {"DXT rectangle ending inside a block", 1, D3DFMT_DXT5, 32, {0, 0, 6, 8}},
        {"DXT source off the blocks into A8R8G8B8", 0, D3DFMT_DXT1, 32, {0, 2, 8, 6}},
        {"32-bit pixels into DXT", 1, D3DFMT_A8R8G8B8, 32, {0, 0, 8, 8}},
        {"DXT into A4R4G4B4", 2, D3DFMT_DXT1, 32, {0, 0, 8, 8}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Load(textures[c.texture], 0, source.data(), c.format, c.pitch, c.rect), D3DERR_INVALIDCALL) << c.name;
    // The edge of a small level may end a DXT rectangle.
    EXPECT_EQ(Load(textures[1], 2, source.data(), D3DFMT_DXT5, 16, RECT{0, 0, 2, 2}), D3D_OK);

    D3DLOCKED_RECT locked;
    const RECT offBlocks = {0, 1, 4, 4};
    EXPECT_EQ(textures[0]->LockRect(4, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "lock past the last level";
    EXPECT_EQ(textures[1]->LockRect(0, &locked, &offBlocks, 0), D3DERR_INVALIDCALL) << "DXT lock off the blocks";
    ASSERT_EQ(textures[0]->LockRect(2, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(Load(textures[0], 2, source.data(), D3DFMT_A8R8G8B8, 8, RECT{0, 0, 2, 2}), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXFilterTexture(textures[0], nullptr, 0, D3DX_DEFAULT), D3DERR_INVALIDCALL);
    textures[0]->UnlockRect(2);
    for (IDirect3DTexture8* texture : textures)
        EXPECT_EQ(texture->Release(), 0u);
}

// --- Mip levels ---------------------------------------------------------------------------------

TEST_F(TextureTest, FilterTextureBoxFiltersEachLevelFromTheOneAbove) {
    // Each texel of a level is (sum + 2) / 4 of its square, per channel of the format.
    const Texels texels = {0xFF000000, 0xFF010101, 0x00FF0000, 0x00FF0000, 0xFF000000, 0xFF000001,
                           0x40FF0000, 0x00FF0000, 0x10203040, 0x10203040, 0x80808080, 0xFFFFFFFF,
                           0x10203040, 0x10203043, 0x7F7F7F7F, 0x00000000};
    IDirect3DTexture8* texture = Create(4, 4, 3, D3DFMT_A8R8G8B8);
    ASSERT_EQ(Load(texture, 0, texels.data(), D3DFMT_A8R8G8B8, 16, RECT{0, 0, 4, 4}), D3D_OK);
    ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
    // Blue of the first (0 + 1 + 0 + 1 + 2) / 4 = 1; alpha of the second (0x40 + 2) / 4 = 0x10;
    // the last (0x80 + 0xFF + 0x7F + 0 + 2) / 4 = 0x80 in each channel.
    EXPECT_EQ(LockedTexels(texture, 1, 2, 2), Texels({0xFF000001, 0x10FF0000, 0x10203041, 0x80808080}));
    // Alpha (0xFF + 0x10 + 0x10 + 0x80 + 2) / 4 = 0x68, blue (1 + 0 + 0x41 + 0x80 + 2) / 4 = 0x31.
    EXPECT_EQ(LockedTexels(texture, 2, 1, 1), Texels{0x68682C31});
    texture->Release();

    // 4-bit channels: (0xF + 0xF + 0 + 0 + 2) / 4 = 8, (0xF + 1 + 2) / 4 = 4.
    texture = Create(2, 2, 0, D3DFMT_A4R4G4B4);
    const uint16_t a4r4g4b4[4] = {0xF0F0, 0xF00F, 0x0F00, 0x0F01};
    ASSERT_EQ(Load(texture, 0, a4r4g4b4, D3DFMT_A4R4G4B4, 4, RECT{0, 0, 2, 2}), D3D_OK);
    ASSERT_EQ(D3DXFilterTexture(texture, nullptr, D3DX_DEFAULT, D3DX_DEFAULT), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<uint16_t*>(locked.pBits), 0x8844);
    texture->UnlockRect(1);
    texture->Release();
}

TEST_F(TextureTest, FilteredDxtTextureKeepsItsFormatAndDrawsItsLevels) {
    // 8 x 8 DXT1 of four solid blocks: red, green / blue, white.
    Bytes source;
    for (uint16_t color : {kRed, kGreen, kBlue, kWhite}) {
        const Bytes block = ColorBlock(color, color, {0});
        source.insert(source.end(), block.begin(), block.end());
    }
    IDirect3DTexture8* texture = Create(8, 8, 0, D3DFMT_DXT1);
    ASSERT_EQ(Load(texture, 0, source.data(), D3DFMT_DXT1, 16, RECT{0, 0, 8, 8}), D3D_OK);
    ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
    IDirect3DSurface8* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    surface->Release();
    EXPECT_TRUE(desc.Format == D3DFMT_DXT1 && desc.Size == 32u);
    const Texels level0 = DrawnTexels(device_, texture, 8, 8);
    EXPECT_EQ(Texels({level0[0], level0[7], level0[56], level0[63]}),
              Texels({0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
    // Drawn at 1 x 1 with point mip filtering: the last level, the mean of the four.
    IDirect3DTexture8* target = Create(1, 1, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET);
    Target(target);
    D3D8Test::SetProjection2d(device_, 0, 0, 1, 1);
    device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    device_->SetTexture(0, texture);
    ASSERT_EQ(D3D8Test::DrawTexturedQuad(device_, 0, 0, 1, 1, 0xFFFFFFFF), D3D_OK);
    device_->SetTexture(0, nullptr);
    EXPECT_EQ(LockedTexels(target, 0, 1, 1)[0], 0xFF808080u);
    Target(nullptr);
    target->Release();
    // Held uncompressed, the levels have no DXT bytes to show; a discarding lock replaces them.
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3DERR_INVALIDCALL);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    const Bytes blue = ColorBlock(kBlue, kBlue, {0});
    for (int i = 0; i < 4; ++i)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + (i / 2) * locked.Pitch + (i % 2) * 8, blue.data(), 8);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(DrawnTexels(device_, texture, 8, 8), Texels(64, 0xFF0000FF));
    texture->Release();
}

TEST_F(TextureTest, OneLevelTextureWithLinearMipFilteringStillSamplesItsTexels) {
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 2, 2, Texels(4, 0xFFFF0000));
    D3D8Test::SetProjection2d(device_, 0, 0, kWidth, kHeight);
    for (DWORD state : {D3DTSS_MINFILTER, D3DTSS_MAGFILTER, D3DTSS_MIPFILTER})
        device_->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(state), D3DTEXF_LINEAR);
    device_->SetTexture(0, texture);
    // Minified to one pixel, and magnified.
    ASSERT_EQ(D3D8Test::DrawTexturedQuad(device_, 0, 0, 1, 1, 0xFFFFFFFF), D3D_OK);
    ASSERT_EQ(D3D8Test::DrawTexturedQuad(device_, 10, 0, 30, 20, 0xFFFFFFFF), D3D_OK);
    device_->SetTexture(0, nullptr);
    const Texels pixels = D3D8Test::Capture(device_);
    EXPECT_EQ(Texels({pixels[0], pixels[10 * kWidth + 20]}), Texels(2, 0xFFFF0000));
    texture->Release();
}

// --- Render targets, references and Reset ----------------------------------------------------

TEST_F(TextureTest, RenderTargetShowsUprightAndResetKeepsManagedTexturesOnly) {
    const Texels texels = {0xFF102030, 0x80405060, 0x00000000, 0xFFFFFFFF};
    IDirect3DTexture8* managed = D3D8Test::MakeTexture(device_, 2, 2, texels);
    IDirect3DTexture8* target = Create(256, 256, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET);
    ASSERT_TRUE(managed && target);
    // A quad at the target's top-left, then the target drawn at (100, 50) in the back buffer.
    Target(target);
    D3DVIEWPORT8 viewport;
    device_->GetViewport(&viewport);
    EXPECT_TRUE(viewport.Width == 256 && viewport.Height == 256);
    D3D8Test::SetProjection2d(device_, 0, 0, 256, 256);
    ASSERT_EQ(D3D8Test::DrawQuad(device_, 0, 0, 16, 8, 0xFFFF0000), D3D_OK);
    Target(nullptr);
    D3D8Test::SetProjection2d(device_, 0, 0, kWidth, kHeight);
    device_->SetTexture(0, target);
    ASSERT_EQ(D3D8Test::DrawTexturedQuad(device_, 100, 50, 356, 306, 0xFFFFFFFF), D3D_OK);
    device_->SetTexture(0, nullptr);
    const Texels pixels = D3D8Test::Capture(device_);
    int red = 0, redInside = 0;
    for (int y = 0; y < static_cast<int>(kHeight); ++y) {
        for (int x = 0; x < static_cast<int>(kWidth); ++x) {
            red += pixels[y * kWidth + x] == 0xFFFF0000u;
            redInside += pixels[y * kWidth + x] == 0xFFFF0000u && x >= 100 && x < 116 && y >= 50 && y < 58;
        }
    }
    EXPECT_EQ(red, 16 * 8);
    EXPECT_EQ(redInside, 16 * 8);

    // Lost while the target is set; the target lets its texture go, as the engine's
    // discardable resources do, and is made again after the Reset.
    IDirect3DTexture8* kept = Create(8, 8, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET);
    Target(target);
    PlatformTest::InjectDeviceLoss();
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(target->Release(), 1u);
    D3DPRESENT_PARAMETERS parameters = D3D8Test::WindowedParameters(window_, kWidth, kHeight);
    ASSERT_EQ(device_->Reset(&parameters), D3D_OK);
    EXPECT_EQ(target->AddRef(), 0u) << "the Reset let the old target go";
    EXPECT_EQ(DrawnTexels(device_, managed, 2, 2), texels);
    target = Create(64, 64, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET);
    // The new target and one that lived through the Reset both take drawing.
    for (IDirect3DTexture8* drawnInto : {target, kept}) {
        Target(drawnInto);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF0000, 1.0f, 0);
        EXPECT_EQ(LockedTexels(drawnInto, 0, 1, 1)[0], 0x80FF0000u);
    }
    Target(nullptr);
    target->Release();
    kept->Release();
    managed->Release();
}

TEST_F(TextureTest, BoundTexturesAndTargetsLiveWhileHeldAndSurfacesCountWithTheirTexture) {
    IDirect3DTexture8* target = Create(4, 4, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET);
    // The same surface each time, counted with its texture.
    IDirect3DSurface8 *first = nullptr, *second = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &first), D3D_OK);
    ASSERT_EQ(target->GetSurfaceLevel(0, &second), D3D_OK);
    EXPECT_EQ(first, second);
    EXPECT_EQ(target->AddRef(), 4u);
    EXPECT_EQ(second->Release(), 3u);
    EXPECT_EQ(target->Release(), 2u);
    // The device holds its target through the surface, and a bound texture, after the
    // caller's last reference has gone: both still draw.
    ASSERT_EQ(device_->SetRenderTarget(first, nullptr), D3D_OK);
    EXPECT_EQ(first->Release(), 2u);
    EXPECT_EQ(target->Release(), 1u);
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 1, 1, {0xFF00FF00});
    device_->SetTexture(0, texture);
    EXPECT_EQ(texture->Release(), 1u);
    D3D8Test::SetProjection2d(device_, 0, 0, 4, 4);
    EXPECT_EQ(D3D8Test::DrawTexturedQuad(device_, 0, 0, 4, 4, 0xFFFFFFFF), D3D_OK);
    EXPECT_EQ(D3D8Test::Capture(device_, first)[0], 0xFF00FF00u);
    // Let go by the device, both are gone.
    device_->SetTexture(0, nullptr);
    Target(nullptr);
    EXPECT_EQ(texture->AddRef(), 0u);
    EXPECT_EQ(target->AddRef(), 0u);
    D3DSURFACE_DESC desc;
    EXPECT_EQ(first->GetDesc(&desc), D3DERR_INVALIDCALL);
}

}  // namespace
