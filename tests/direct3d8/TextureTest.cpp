// Texture formats and their answers, creation, level surfaces, locks, loading from memory
// (with the DXT decoding), generated mip levels, render-target textures and what a Reset
// keeps of them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "Direct3D8TestSupport.h"
#include "TestHooks.h"

namespace {

using D3D8Test::ColorNear;
using D3D8Test::DrawnTexels;
using D3D8Test::LockedTexels;

class TextureTest : public D3D8Test::DeviceTest {
protected:
    void TearDown() override {
        PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, false);
        PlatformTest::FailTextureCreations(0, D3D_OK);
        DeviceTest::TearDown();
    }

    IDirect3DTexture8* Create(UINT width, UINT height, UINT levels, D3DFORMAT format, DWORD usage = 0,
                              D3DPOOL pool = D3DPOOL_MANAGED) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(D3DXCreateTexture(device_, width, height, levels, usage, format, pool, &texture), D3D_OK);
        return texture;
    }

    // Loads the whole of width x height source pixels into level 0.
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
};

// --- DXT blocks, written as the S3TC format lays them out ------------------------------------

typedef std::vector<uint8_t> Bytes;

void PutWord16(Bytes& bytes, uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

// End colours in 5:6:5 and the 2-bit index of each texel, rows top first.
Bytes ColorBlock(uint16_t c0, uint16_t c1, const std::vector<int>& indices) {
    Bytes block;
    PutWord16(block, c0);
    PutWord16(block, c1);
    uint32_t bits = 0;
    for (int texel = 0; texel < 16; ++texel)
        bits |= static_cast<uint32_t>(indices[texel]) << (2 * texel);
    PutWord16(block, bits & 0xFFFF);
    PutWord16(block, bits >> 16);
    return block;
}

Bytes Dxt3Block(const std::vector<int>& alphas, const Bytes& colors) {
    Bytes block;
    for (int texel = 0; texel < 16; texel += 2)
        block.push_back(static_cast<uint8_t>(alphas[texel] | alphas[texel + 1] << 4));
    block.insert(block.end(), colors.begin(), colors.end());
    return block;
}

Bytes Dxt5Block(uint8_t a0, uint8_t a1, const std::vector<int>& indices, const Bytes& colors) {
    Bytes block = {a0, a1};
    uint64_t bits = 0;
    for (int texel = 0; texel < 16; ++texel)
        bits |= static_cast<uint64_t>(indices[texel]) << (3 * texel);
    for (int i = 0; i < 6; ++i)
        block.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    block.insert(block.end(), colors.begin(), colors.end());
    return block;
}

std::vector<int> Repeating(std::initializer_list<int> pattern) {
    std::vector<int> values;
    while (values.size() < 16)
        values.insert(values.end(), pattern.begin(), pattern.end());
    values.resize(16);
    return values;
}

const uint16_t kRed565 = 0xF800, kGreen565 = 0x07E0, kBlue565 = 0x001F, kWhite565 = 0xFFFF;

// --- Format answers and creation ---------------------------------------------------------------

TEST_F(TextureTest, CheckDeviceFormatAnswersForTexturesAndRenderTargets) {
    struct Case {
        const char* name;
        D3DFORMAT format;
        DWORD usage;
        HRESULT expected;
        std::vector<std::pair<D3DFORMAT, bool>> overrides;
    };
    const Case cases[] = {
        {"A8R8G8B8", D3DFMT_A8R8G8B8, 0, D3D_OK, {}},
        {"X8R8G8B8", D3DFMT_X8R8G8B8, 0, D3D_OK, {}},
        {"A4R4G4B4", D3DFMT_A4R4G4B4, 0, D3D_OK, {}},
        {"R5G6B5", D3DFMT_R5G6B5, 0, D3D_OK, {}},
        {"DXT1 with S3TC", D3DFMT_DXT1, 0, D3D_OK, {}},
        {"DXT3 with S3TC", D3DFMT_DXT3, 0, D3D_OK, {}},
        {"DXT5 with S3TC", D3DFMT_DXT5, 0, D3D_OK, {}},
        {"R8G8B8", D3DFMT_R8G8B8, 0, D3DERR_NOTAVAILABLE, {}},
        {"P8", D3DFMT_P8, 0, D3DERR_NOTAVAILABLE, {}},
        {"A8P8", D3DFMT_A8P8, 0, D3DERR_NOTAVAILABLE, {}},
        {"X1R5G5B5", D3DFMT_X1R5G5B5, 0, D3DERR_NOTAVAILABLE, {}},
        {"A8R8G8B8 target", D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3D_OK, {}},
        {"X8R8G8B8 target", D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET, D3D_OK, {}},
        {"A4R4G4B4 target", D3DFMT_A4R4G4B4, D3DUSAGE_RENDERTARGET, D3DERR_NOTAVAILABLE, {}},
        {"DXT1 target", D3DFMT_DXT1, D3DUSAGE_RENDERTARGET, D3DERR_NOTAVAILABLE, {}},
        {"depth stencil", D3DFMT_A8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DERR_NOTAVAILABLE, {}},
        {"DXT5 switched off", D3DFMT_DXT5, 0, D3DERR_NOTAVAILABLE, {{D3DFMT_DXT5, false}}},
        {"DXT5 switched off and on", D3DFMT_DXT5, 0, D3D_OK, {{D3DFMT_DXT5, false}, {D3DFMT_DXT5, true}}},
        {"another format switched off", D3DFMT_DXT1, 0, D3D_OK, {{D3DFMT_DXT5, false}}},
        {"R5G6B5 switched off", D3DFMT_R5G6B5, 0, D3DERR_NOTAVAILABLE, {{D3DFMT_R5G6B5, false}}},
        {"A8R8G8B8 target switched off",
         D3DFMT_A8R8G8B8,
         D3DUSAGE_RENDERTARGET,
         D3DERR_NOTAVAILABLE,
         {{D3DFMT_A8R8G8B8, false}}},
        {"R8G8B8 switched on", D3DFMT_R8G8B8, 0, D3D_OK, {{D3DFMT_R8G8B8, true}}},
        {"R5G6B5 switched on stays no target",
         D3DFMT_R5G6B5,
         D3DUSAGE_RENDERTARGET,
         D3DERR_NOTAVAILABLE,
         {{D3DFMT_R5G6B5, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, false);
        for (const auto& entry : c.overrides)
            PlatformTest::SetFormatSupported(entry.first, entry.second);
        EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, D3DRTYPE_TEXTURE, c.format),
                  c.expected);
        // A format the answer refuses cannot be made either.
        IDirect3DTexture8* texture = nullptr;
        const D3DPOOL pool = c.usage ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
        const HRESULT created = D3DXCreateTexture(device_, 8, 8, 1, c.usage, c.format, pool, &texture);
        if (c.expected != D3D_OK) {
            EXPECT_NE(created, D3D_OK);
        }
        if (texture)
            texture->Release();
    }
    PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, false);
    // The adapter, its display format, the device type and the resource type.
    EXPECT_EQ(d3d_->CheckDeviceFormat(1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_P8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, 0, D3DRTYPE_SURFACE, D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);
}

TEST_F(TextureTest, CreationChecksItsArgumentsAndMakesEveryLevel) {
    struct Case {
        const char* name;
        UINT width, height, levels;
        DWORD usage;
        D3DFORMAT format;
        D3DPOOL pool;
        HRESULT expected;
        UINT levelCount;
        UINT levelZeroBytes;
    };
    const Case cases[] = {
        {"all levels of 8 x 2", 8, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3D_OK, 4, 64},
        {"more levels than the chain", 4, 4, 9, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, D3D_OK, 3, 32},
        {"two levels of R5G6B5, rows padded", 3, 2, 2, 0, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, D3D_OK, 2, 16},
        {"DXT1 in blocks", 8, 8, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, D3D_OK, 4, 32},
        {"DXT5 in blocks", 8, 4, 1, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, D3D_OK, 1, 32},
        {"render target", 256, 128, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3D_OK, 1, 131072},
        {"render target without alpha", 16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, D3D_OK, 1,
         1024},
        {"managed render target", 64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
         D3DERR_INVALIDCALL, 0, 0},
        {"16-bit render target", 64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, D3DERR_NOTAVAILABLE,
         0, 0},
        {"system memory", 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, D3DERR_INVALIDCALL, 0, 0},
        {"depth usage", 4, 4, 1, D3DUSAGE_DEPTHSTENCIL, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DERR_INVALIDCALL, 0, 0},
        {"R8G8B8", 4, 4, 1, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, D3DERR_NOTAVAILABLE, 0, 0},
        {"no width", 0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0, 0},
        {"past the size limit", 32768, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
        ASSERT_EQ(D3DXCreateTexture(device_, c.width, c.height, c.levels, c.usage, c.format, c.pool, &texture),
                  c.expected);
        if (c.expected != D3D_OK) {
            EXPECT_EQ(texture, nullptr);
            continue;
        }
        for (UINT level = 0; level < c.levelCount; ++level) {
            IDirect3DSurface8* surface = nullptr;
            ASSERT_EQ(texture->GetSurfaceLevel(level, &surface), D3D_OK);
            D3DSURFACE_DESC desc;
            ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
            EXPECT_EQ(desc.Width, std::max(1u, c.width >> level));
            EXPECT_EQ(desc.Height, std::max(1u, c.height >> level));
            EXPECT_EQ(desc.Format, c.format);
            EXPECT_EQ(desc.Pool, c.pool);
            EXPECT_EQ(desc.Usage, c.usage);
            if (level == 0) {
                EXPECT_EQ(desc.Size, c.levelZeroBytes);
            }
            surface->Release();
        }
        IDirect3DSurface8* beyond = reinterpret_cast<IDirect3DSurface8*>(1);
        EXPECT_EQ(texture->GetSurfaceLevel(c.levelCount, &beyond), D3DERR_INVALIDCALL);
        EXPECT_EQ(beyond, nullptr);
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_F(TextureTest, FailTextureCreationsFailsTheNextValidCreations) {
    struct Case {
        HRESULT injected;
        unsigned count;
    };
    for (const Case& c : {Case{D3DERR_OUTOFVIDEOMEMORY, 2}, Case{E_OUTOFMEMORY, 1}}) {
        SCOPED_TRACE(c.injected);
        PlatformTest::FailTextureCreations(c.count, c.injected);
        IDirect3DTexture8* texture = nullptr;
        // A call with bad arguments fails on them and leaves the injected failures.
        EXPECT_EQ(D3DXCreateTexture(device_, 0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
                  D3DERR_INVALIDCALL);
        for (unsigned i = 0; i < c.count; ++i) {
            EXPECT_EQ(D3DXCreateTexture(device_, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), c.injected);
            EXPECT_EQ(texture, nullptr);
        }
        ASSERT_EQ(D3DXCreateTexture(device_, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        texture->Release();
    }
}

TEST_F(TextureTest, NewLevelsReadAsTransparentBlackWhereTheFormatHasAlpha) {
    struct Case {
        D3DFORMAT format;
        uint32_t expected;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 0x00000000}, {D3DFMT_A4R4G4B4, 0x00000000}, {D3DFMT_DXT1, 0x00000000},
        {D3DFMT_DXT3, 0x00000000},     {D3DFMT_DXT5, 0x00000000},     {D3DFMT_X8R8G8B8, 0xFF000000},
        {D3DFMT_R5G6B5, 0xFF000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        IDirect3DTexture8* texture = Create(8, 8, 0, c.format);
        ASSERT_NE(texture, nullptr);
        for (uint32_t texel : DrawnTexels(device_, texture, 8, 8))
            ASSERT_EQ(texel, c.expected);
        texture->Release();
    }
}

// --- Loading and reading back ------------------------------------------------------------------

TEST_F(TextureTest, LoadedPixelsDrawAsTheHandComputedTexels) {
    struct Case {
        const char* name;
        D3DFORMAT textureFormat;
        D3DFORMAT sourceFormat;
        UINT width, height;  // the texture's
        RECT rect;
        UINT pitch;
        Bytes source;
        std::vector<uint32_t> expected;
        int tolerance;
    };
    const auto words16 = [](std::initializer_list<uint16_t> words) {
        Bytes bytes;
        for (uint16_t word : words)
            PutWord16(bytes, word);
        return bytes;
    };
    const auto words32 = [](std::initializer_list<uint32_t> words) {
        Bytes bytes;
        for (uint32_t word : words) {
            PutWord16(bytes, word & 0xFFFF);
            PutWord16(bytes, word >> 16);
        }
        return bytes;
    };
    const Bytes a4r4g4b4 = words16({0xF00F, 0x8421, 0x0000, 0x7FFF});
    const std::vector<uint32_t> a4r4g4b4Texels = {0xFF0000FF, 0x88442211, 0x00000000, 0x77FFFFFF};
    // Row 0: indices 0 to 3, the rest 0.
    const std::vector<int> firstRow = {0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const auto withRow = [](std::vector<uint32_t> row, uint32_t rest) {
        row.resize(16, rest);
        return row;
    };
    // DXT3: alpha of texel i is i x 17, colour index i % 4 of blue, red and their thirds
    // (a block whose first end colour is smaller still has four colours).
    std::vector<uint32_t> dxt3Texels;
    const uint32_t dxt3Colors[4] = {0x0000FF, 0xFF0000, 0x5500AA, 0xAA0055};
    for (uint32_t i = 0; i < 16; ++i)
        dxt3Texels.push_back((i * 17) << 24 | dxt3Colors[i % 4]);
    std::vector<int> alphaIndices;
    for (int i = 0; i < 16; ++i)
        alphaIndices.push_back(i % 8);
    const auto whiteWithAlphas = [](std::initializer_list<uint32_t> alphas) {
        std::vector<uint32_t> texels;
        while (texels.size() < 16) {
            for (uint32_t alpha : alphas)
                texels.push_back(alpha << 24 | 0xFFFFFF);
        }
        return texels;
    };
    const Bytes white = ColorBlock(kWhite565, kWhite565, Repeating({0}));

    std::vector<Case> cases = {
        {"A4R4G4B4", D3DFMT_A4R4G4B4, D3DFMT_A4R4G4B4, 2, 2, {0, 0, 2, 2}, 4, a4r4g4b4, a4r4g4b4Texels, 0},
        {"A4R4G4B4 into A8R8G8B8",
         D3DFMT_A8R8G8B8,
         D3DFMT_A4R4G4B4,
         2,
         2,
         {0, 0, 2, 2},
         4,
         a4r4g4b4,
         a4r4g4b4Texels,
         0},
        {"R5G6B5",
         D3DFMT_R5G6B5,
         D3DFMT_R5G6B5,
         2,
         2,
         {0, 0, 2, 2},
         4,
         words16({0xF800, 0x07E0, 0x001F, 0x8410}),
         {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF848284},
         1},
        {"X8R8G8B8 reads alpha 1",
         D3DFMT_X8R8G8B8,
         D3DFMT_X8R8G8B8,
         2,
         1,
         {0, 0, 2, 1},
         8,
         words32({0x12345678, 0x00ABCDEF}),
         {0xFF345678, 0xFFABCDEF},
         0},
        {"R8G8B8 into A8R8G8B8 gets alpha 255",
         D3DFMT_A8R8G8B8,
         D3DFMT_R8G8B8,
         2,
         2,
         {0, 0, 2, 2},
         8,
         {0x56, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0},
         {0xFF123456, 0xFFABCDEF, 0xFF030201, 0xFF060504},
         0},
        {"image smaller than the level, from inside a wider source",
         D3DFMT_A8R8G8B8,
         D3DFMT_A8R8G8B8,
         4,
         4,
         {1, 1, 3, 3},
         16,
         words32({0, 0, 0, 0, 0, 0x80000001, 0x80000002, 0, 0, 0x80000003, 0x80000004, 0}),
         {0x80000001, 0x80000002, 0, 0, 0x80000003, 0x80000004, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         0},
    };
    // Each DXT case through S3TC (within 1 of the hand-computed texels) and decoded by the
    // layer into A8R8G8B8 (exactly).
    const std::vector<std::tuple<const char*, D3DFORMAT, Bytes, std::vector<uint32_t>>> blocks = {
        {"DXT1 four colours", D3DFMT_DXT1, ColorBlock(kRed565, kBlue565, firstRow),
         withRow({0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA}, 0xFFFF0000)},
        {"DXT1 three colours", D3DFMT_DXT1, ColorBlock(kBlue565, kRed565, firstRow),
         withRow({0xFF0000FF, 0xFFFF0000, 0xFF7F007F, 0x00000000}, 0xFF0000FF)},
        {"DXT1 equal end colours", D3DFMT_DXT1, ColorBlock(kGreen565, kGreen565, firstRow),
         withRow({0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0x00000000}, 0xFF00FF00)},
        {"DXT3 explicit alpha", D3DFMT_DXT3,
         Dxt3Block({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                   ColorBlock(kBlue565, kRed565, Repeating({0, 1, 2, 3}))),
         dxt3Texels},
        {"DXT5 six alphas with 0 and 255", D3DFMT_DXT5, Dxt5Block(0, 255, alphaIndices, white),
         whiteWithAlphas({0, 255, 51, 102, 153, 204, 0, 255})},
        {"DXT5 eight alphas", D3DFMT_DXT5, Dxt5Block(255, 0, alphaIndices, white),
         whiteWithAlphas({255, 0, 218, 182, 145, 109, 72, 36})},
    };
    for (const auto& block : blocks) {
        const D3DFORMAT format = std::get<1>(block);
        const UINT pitch = static_cast<UINT>(std::get<2>(block).size());
        cases.push_back(
            {std::get<0>(block), format, format, 4, 4, {0, 0, 4, 4}, pitch, std::get<2>(block), std::get<3>(block), 1});
        cases.push_back({std::get<0>(block),
                         D3DFMT_A8R8G8B8,
                         format,
                         4,
                         4,
                         {0, 0, 4, 4},
                         pitch,
                         std::get<2>(block),
                         std::get<3>(block),
                         0});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.textureFormat != c.sourceFormat ? ", converted" : ""));
        IDirect3DTexture8* texture = Create(c.width, c.height, 1, c.textureFormat);
        ASSERT_NE(texture, nullptr);
        ASSERT_EQ(Load(texture, 0, c.source.data(), c.sourceFormat, c.pitch, c.rect), D3D_OK);
        const std::vector<uint32_t> texels = DrawnTexels(device_, texture, c.width, c.height);
        ASSERT_EQ(texels.size(), c.expected.size());
        for (size_t i = 0; i < texels.size(); ++i)
            EXPECT_TRUE(ColorNear(texels[i], c.expected[i], c.tolerance)) << "texel " << i;
        texture->Release();
    }
}

TEST_F(TextureTest, LayersDxtDecodingAgreesWithS3tcWithinOnePerChannel) {
    // 64 blocks of pseudo-random bytes per format: every mode and index of each.
    uint32_t state = 12345;
    const auto next = [&] {
        state = state * 1103515245u + 12345u;
        return static_cast<uint8_t>(state >> 16);
    };
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5}) {
        SCOPED_TRACE(format);
        const UINT blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
        Bytes source(32 / 4 * 32 / 4 * blockBytes);
        for (uint8_t& byte : source)
            byte = next();
        const RECT whole = {0, 0, 32, 32};
        IDirect3DTexture8* compressed = Create(32, 32, 1, format);
        IDirect3DTexture8* decoded = Create(32, 32, 1, D3DFMT_A8R8G8B8);
        ASSERT_TRUE(compressed && decoded);
        ASSERT_EQ(Load(compressed, 0, source.data(), format, 8 * blockBytes, whole), D3D_OK);
        ASSERT_EQ(Load(decoded, 0, source.data(), format, 8 * blockBytes, whole), D3D_OK);
        const std::vector<uint32_t> byOpenGL = DrawnTexels(device_, compressed, 32, 32);
        const std::vector<uint32_t> byLayer = LockedTexels(decoded, 0, 32, 32);
        ASSERT_EQ(byOpenGL.size(), byLayer.size());
        int differing = 0;
        for (size_t i = 0; i < byLayer.size(); ++i)
            differing += !ColorNear(byLayer[i], byOpenGL[i], 1);
        EXPECT_EQ(differing, 0);
        compressed->Release();
        decoded->Release();
    }
}

TEST_F(TextureTest, LoadingRefusesWhatTheLevelCannotTake) {
    IDirect3DTexture8* texture = Create(8, 8, 0, D3DFMT_A8R8G8B8);
    IDirect3DTexture8* dxt = Create(8, 8, 1, D3DFMT_DXT5);
    IDirect3DTexture8* small = Create(8, 8, 1, D3DFMT_A4R4G4B4);
    ASSERT_TRUE(texture && dxt && small);
    IDirect3DSurface8 *level0 = nullptr, *dxtLevel = nullptr, *image = nullptr;
    texture->GetSurfaceLevel(0, &level0);
    dxt->GetSurfaceLevel(0, &dxtLevel);
    ASSERT_EQ(device_->CreateImageSurface(8, 8, D3DFMT_A8R8G8B8, &image), D3D_OK);
    const Bytes source(1024);
    const RECT whole = {0, 0, 8, 8};
    const PALETTEENTRY palette[1] = {};
    D3DLOCKED_RECT locked;
    const auto load = [&](IDirect3DSurface8* to, D3DFORMAT format, UINT pitch, const RECT& rect) {
        return D3DXLoadSurfaceFromMemory(to, nullptr, nullptr, source.data(), format, pitch, nullptr, &rect,
                                         D3DX_FILTER_NONE, 0);
    };
    struct Case {
        const char* name;
        std::function<HRESULT()> call;
    };
    const Case cases[] = {
        {"rectangle wider than the level",
         [&] {
             return load(level0, D3DFMT_A8R8G8B8, 64, RECT{0, 0, 9, 8});
         }},
        {"empty rectangle",
         [&] {
             return load(level0, D3DFMT_A8R8G8B8, 32, RECT{2, 2, 2, 4});
         }},
        {"rectangle with a negative corner",
         [&] {
             return load(level0, D3DFMT_A8R8G8B8, 32, RECT{-4, 0, 4, 8});
         }},
        {"pitch below the rectangle's rows", [&] { return load(level0, D3DFMT_A8R8G8B8, 28, whole); }},
        {"R8G8B8 pitch below the rows", [&] { return load(level0, D3DFMT_R8G8B8, 23, whole); }},
        {"DXT pitch below a row of blocks", [&] { return load(dxtLevel, D3DFMT_DXT5, 31, whole); }},
        {"DXT rectangle off the blocks",
         [&] {
             return load(dxtLevel, D3DFMT_DXT5, 32, RECT{2, 0, 6, 4});
         }},
        {"DXT rectangle ending inside a block",
         [&] {
             return load(dxtLevel, D3DFMT_DXT5, 32, RECT{0, 0, 6, 8});
         }},
        {"DXT source off the blocks into A8R8G8B8",
         [&] {
             return load(level0, D3DFMT_DXT1, 32, RECT{0, 2, 8, 6});
         }},
        {"32-bit pixels into DXT", [&] { return load(dxtLevel, D3DFMT_A8R8G8B8, 32, whole); }},
        {"another DXT format", [&] { return load(dxtLevel, D3DFMT_DXT1, 32, whole); }},
        {"DXT into A4R4G4B4",
         [&] {
             IDirect3DSurface8* surface = nullptr;
             small->GetSurfaceLevel(0, &surface);
             const HRESULT result = load(surface, D3DFMT_DXT1, 32, whole);
             surface->Release();
             return result;
         }},
        {"P8 source", [&] { return load(level0, D3DFMT_P8, 8, whole); }},
        {"image surface", [&] { return load(image, D3DFMT_A8R8G8B8, 32, whole); }},
        {"locked level",
         [&] {
             texture->LockRect(0, &locked, nullptr, 0);
             const HRESULT result = load(level0, D3DFMT_A8R8G8B8, 32, whole);
             texture->UnlockRect(0);
             return result;
         }},
        {"no source rectangle",
         [&] {
             return D3DXLoadSurfaceFromMemory(level0, nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, 32, nullptr,
                                              nullptr, D3DX_FILTER_NONE, 0);
         }},
        {"destination rectangle",
         [&] {
             return D3DXLoadSurfaceFromMemory(level0, nullptr, &whole, source.data(), D3DFMT_A8R8G8B8, 32, nullptr,
                                              &whole, D3DX_FILTER_NONE, 0);
         }},
        {"palette",
         [&] {
             return D3DXLoadSurfaceFromMemory(level0, nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, 32, palette,
                                              &whole, D3DX_FILTER_NONE, 0);
         }},
        {"colour key",
         [&] {
             return D3DXLoadSurfaceFromMemory(level0, nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, 32, nullptr,
                                              &whole, D3DX_FILTER_NONE, 0xFF000000);
         }},
        {"texture lock past the level", [&] { return texture->LockRect(4, &locked, nullptr, 0); }},
        {"DXT lock off the blocks",
         [&] {
             const RECT part = {0, 1, 4, 4};
             return dxt->LockRect(0, &locked, &part, 0);
         }},
        {"filter from level 1", [&] { return D3DXFilterTexture(texture, nullptr, 1, D3DX_DEFAULT); }},
        {"filter with a palette", [&] { return D3DXFilterTexture(texture, palette, 0, D3DX_DEFAULT); }},
        {"filter of a locked texture",
         [&] {
             texture->LockRect(2, &locked, nullptr, 0);
             const HRESULT result = D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT);
             texture->UnlockRect(2);
             return result;
         }},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.call(), D3DERR_INVALIDCALL) << c.name;
    dxtLevel->Release();
    ASSERT_EQ(dxt->Release(), 0u);
    // The edge of a small level may end a DXT rectangle.
    IDirect3DSurface8* tiny = nullptr;
    dxt = Create(8, 8, 0, D3DFMT_DXT1);
    ASSERT_EQ(dxt->GetSurfaceLevel(2, &tiny), D3D_OK);
    EXPECT_EQ(load(tiny, D3DFMT_DXT1, 8, RECT{0, 0, 2, 2}), D3D_OK);
    tiny->Release();
    image->Release();
    level0->Release();
    dxt->Release();
    small->Release();
    texture->Release();
}

TEST_F(TextureTest, LocksOfEveryFormatHaveTheirPitchAndKeepWhatWasWritten) {
    struct Case {
        D3DFORMAT format;
        UINT width, height;
        RECT part;
        INT pitch;
        size_t rowBytes;  // of pixels in a row, without the padding
        size_t offset;    // of the part's first byte from the level's
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 5, 3, {1, 1, 3, 2}, 20, 20, 24}, {D3DFMT_A4R4G4B4, 3, 2, {1, 1, 3, 2}, 8, 6, 10},
        {D3DFMT_R5G6B5, 5, 2, {2, 0, 5, 1}, 12, 10, 4},    {D3DFMT_DXT1, 8, 8, {4, 4, 8, 8}, 16, 16, 24},
        {D3DFMT_DXT3, 12, 8, {4, 4, 12, 8}, 48, 48, 64},   {D3DFMT_DXT5, 8, 6, {0, 4, 8, 6}, 32, 32, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        IDirect3DTexture8* texture = Create(c.width, c.height, 1, c.format);
        ASSERT_NE(texture, nullptr);
        // A discarding lock of the whole level, filled with a pattern and uploaded.
        D3DLOCKED_RECT whole;
        ASSERT_EQ(texture->LockRect(0, &whole, nullptr, D3DLOCK_DISCARD), D3D_OK);
        EXPECT_EQ(whole.Pitch, c.pitch);
        IDirect3DSurface8* surface = nullptr;
        texture->GetSurfaceLevel(0, &surface);
        D3DSURFACE_DESC desc;
        surface->GetDesc(&desc);
        Bytes pattern(desc.Size);
        for (size_t i = 0; i < pattern.size(); ++i)
            pattern[i] = static_cast<uint8_t>(i * 7 + 1);
        std::memcpy(whole.pBits, pattern.data(), pattern.size());
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
        // A lock of the part, through the surface, shows the same bytes at its offset.
        D3DLOCKED_RECT part;
        ASSERT_EQ(surface->LockRect(&part, &c.part, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(part.Pitch, c.pitch);
        EXPECT_EQ(std::memcmp(part.pBits, &pattern[c.offset], 2), 0);
        EXPECT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3DERR_INVALIDCALL);
        ASSERT_EQ(surface->UnlockRect(), D3D_OK);
        ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
        for (size_t row = 0; row < pattern.size() / c.pitch; ++row)
            EXPECT_EQ(
                std::memcmp(static_cast<uint8_t*>(whole.pBits) + row * c.pitch, &pattern[row * c.pitch], c.rowBytes), 0)
                << "row " << row;
        texture->UnlockRect(0);
        surface->Release();
        texture->Release();
    }
}

// --- Mip levels ---------------------------------------------------------------------------------

TEST_F(TextureTest, FilterTextureBoxFiltersEachLevelFromTheOneAbove) {
    // 4 x 4 A8R8G8B8 in three levels: each texel of a level is (sum + 2) / 4 of its square.
    const std::vector<uint32_t> texels = {
        0xFF000000, 0xFF010101, 0x00FF0000, 0x00FF0000, 0xFF000000, 0xFF000001, 0x40FF0000, 0x00FF0000,
        0x10203040, 0x10203040, 0x80808080, 0xFFFFFFFF, 0x10203040, 0x10203043, 0x7F7F7F7F, 0x00000000,
    };
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, 4, 4, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    for (int row = 0; row < 4; ++row)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, &texels[row * 4], 16);
    texture->UnlockRect(0);
    ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
    // Blue of the first: (0 + 1 + 0 + 1 + 2) / 4 = 1; alpha of the second (0x40 + 2) / 4 = 0x10;
    // the last (0x80 + 0xFF + 0x7F + 0 + 2) / 4 = 0x80 in each channel.
    const std::vector<uint32_t> level1 = {0xFF000001, 0x10FF0000, 0x10203041, 0x80808080};
    EXPECT_EQ(LockedTexels(texture, 1, 2, 2), level1);
    // Alpha (0xFF + 0x10 + 0x10 + 0x80 + 2) / 4 = 0x68, blue (1 + 0 + 0x41 + 0x80 + 2) / 4 = 0x31.
    EXPECT_EQ(LockedTexels(texture, 2, 1, 1), std::vector<uint32_t>{0x68682C31});
    texture->Release();

    // A4R4G4B4 filters each 4-bit channel: (0xF + 0xF + 0 + 0 + 2) / 4 = 8, (0xF + 1 + 2) / 4 = 4.
    ASSERT_EQ(D3DXCreateTexture(device_, 2, 2, 0, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture), D3D_OK);
    const uint16_t a4r4g4b4[4] = {0xF0F0, 0xF00F, 0x0F00, 0x0F01};
    const RECT whole = {0, 0, 2, 2};
    IDirect3DSurface8* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, a4r4g4b4, D3DFMT_A4R4G4B4, 4, nullptr, &whole,
                                        D3DX_FILTER_NONE, 0),
              D3D_OK);
    surface->Release();
    ASSERT_EQ(D3DXFilterTexture(texture, nullptr, D3DX_DEFAULT, D3DX_DEFAULT), D3D_OK);
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<uint16_t*>(locked.pBits), 0x8844);
    texture->UnlockRect(1);
    texture->Release();
}

TEST_F(TextureTest, FilteredDxtTextureKeepsItsFormatAndDrawsItsLevels) {
    // 8 x 8 DXT1 of four solid blocks: red, green / blue, white.
    const uint16_t colors[4] = {kRed565, kGreen565, kBlue565, kWhite565};
    Bytes source;
    for (uint16_t color : colors) {
        const Bytes block = ColorBlock(color, color, Repeating({0}));
        source.insert(source.end(), block.begin(), block.end());
    }
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, 8, 8, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface8* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    const RECT whole = {0, 0, 8, 8};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, source.data(), D3DFMT_DXT1, 16, nullptr, &whole,
                                        D3DX_FILTER_NONE, 0),
              D3D_OK);
    ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    EXPECT_EQ(desc.Format, D3DFMT_DXT1);
    EXPECT_EQ(desc.Size, 32u);
    // Level 0 still draws its blocks.
    const std::vector<uint32_t> level0 = DrawnTexels(device_, texture, 8, 8);
    ASSERT_EQ(level0.size(), 64u);
    EXPECT_EQ(level0[0], 0xFFFF0000u);
    EXPECT_EQ(level0[7], 0xFF00FF00u);
    EXPECT_EQ(level0[56], 0xFF0000FFu);
    EXPECT_EQ(level0[63], 0xFFFFFFFFu);
    // Drawn at a size of 1 x 1 with point mip filtering, the last level: the mean of the four.
    IDirect3DTexture8* target = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, 1, 1, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    IDirect3DSurface8* targetSurface = nullptr;
    target->GetSurfaceLevel(0, &targetSurface);
    device_->SetRenderTarget(targetSurface, nullptr);
    D3D8Test::SetProjection2d(device_, 0, 0, 1, 1);
    device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    device_->SetTexture(0, texture);
    ASSERT_EQ(D3D8Test::DrawTexturedQuad(device_, 0, 0, 1, 1, 0xFFFFFFFF), D3D_OK);
    device_->SetTexture(0, nullptr);
    EXPECT_EQ(LockedTexels(target, 0, 1, 1)[0], 0xFF808080u);
    // Held uncompressed, the levels have no DXT bytes to show; a discarding lock replaces them.
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3DERR_INVALIDCALL);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    EXPECT_EQ(locked.Pitch, 16);
    for (int i = 0; i < 4; ++i) {
        const Bytes block = ColorBlock(kBlue565, kBlue565, Repeating({0}));
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + (i / 2) * 16 + (i % 2) * 8, block.data(), 8);
    }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    for (uint32_t texel : DrawnTexels(device_, texture, 8, 8))
        ASSERT_EQ(texel, 0xFF0000FFu);
    targetSurface->Release();
    target->Release();
    surface->Release();
    texture->Release();
}

TEST_F(TextureTest, OneLevelTextureWithLinearMipFilteringStillSamplesItsTexels) {
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 2, 2, {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000});
    ASSERT_NE(texture, nullptr);
    D3D8Test::SetProjection2d(device_, 0, 0, kWidth, kHeight);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    for (DWORD state : {D3DTSS_MINFILTER, D3DTSS_MAGFILTER, D3DTSS_MIPFILTER})
        device_->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(state), D3DTEXF_LINEAR);
    device_->SetTexture(0, texture);
    // Minified to one pixel, and magnified.
    ASSERT_EQ(D3D8Test::DrawTexturedQuad(device_, 0, 0, 1, 1, 0xFFFFFFFF), D3D_OK);
    ASSERT_EQ(D3D8Test::DrawTexturedQuad(device_, 10, 0, 30, 20, 0xFFFFFFFF), D3D_OK);
    device_->SetTexture(0, nullptr);
    const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
    EXPECT_EQ(pixels[0], 0xFFFF0000u);
    EXPECT_EQ(pixels[10 * kWidth + 20], 0xFFFF0000u);
    texture->Release();
}

// --- Render targets, references and Reset ----------------------------------------------------

TEST_F(TextureTest, RenderTargetDrawnAtItsTopLeftShowsUprightInTheBackBuffer) {
    IDirect3DTexture8* target = Create(256, 256, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    ASSERT_NE(target, nullptr);
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    ASSERT_EQ(device_->SetRenderTarget(surface, nullptr), D3D_OK);
    surface->Release();
    D3DVIEWPORT8 viewport;
    device_->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 256u);
    EXPECT_EQ(viewport.Height, 256u);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    D3D8Test::SetProjection2d(device_, 0, 0, 256, 256);
    ASSERT_EQ(D3D8Test::DrawQuad(device_, 0, 0, 16, 8, 0xFFFF0000), D3D_OK);

    IDirect3DSurface8* backBuffer = nullptr;
    device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    ASSERT_EQ(device_->SetRenderTarget(backBuffer, nullptr), D3D_OK);
    backBuffer->Release();
    D3D8Test::SetProjection2d(device_, 0, 0, kWidth, kHeight);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device_->SetTexture(0, target);
    ASSERT_EQ(D3D8Test::DrawTexturedQuad(device_, 100, 50, 356, 306, 0xFFFFFFFF), D3D_OK);
    device_->SetTexture(0, nullptr);
    const std::vector<uint32_t> pixels = D3D8Test::Capture(device_);
    int red = 0;
    for (int y = 0; y < static_cast<int>(kHeight); ++y) {
        for (int x = 0; x < static_cast<int>(kWidth); ++x) {
            const bool inside = x >= 100 && x < 116 && y >= 50 && y < 58;
            red += pixels[y * kWidth + x] == 0xFFFF0000u;
            if (inside) {
                ASSERT_EQ(pixels[y * kWidth + x], 0xFFFF0000u) << x << ", " << y;
            }
        }
    }
    EXPECT_EQ(red, 16 * 8);
    target->Release();
}

TEST_F(TextureTest, BoundTexturesAndTargetsLiveWhileHeldAndSurfacesCountWithTheirTexture) {
    IDirect3DTexture8* target = Create(4, 4, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    ASSERT_NE(target, nullptr);
    IDirect3DSurface8* first = nullptr;
    IDirect3DSurface8* second = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &first), D3D_OK);
    ASSERT_EQ(target->GetSurfaceLevel(0, &second), D3D_OK);
    EXPECT_EQ(first, second);
    EXPECT_EQ(target->AddRef(), 4u);
    EXPECT_EQ(first->Release(), 3u);
    EXPECT_EQ(second->Release(), 2u);
    EXPECT_EQ(target->Release(), 1u);

    // The device holds its target through the surface, and a bound texture, after the
    // caller's last reference has gone: both still draw.
    ASSERT_EQ(target->GetSurfaceLevel(0, &first), D3D_OK);
    ASSERT_EQ(device_->SetRenderTarget(first, nullptr), D3D_OK);
    EXPECT_EQ(first->Release(), 2u);
    D3D8Test::SetProjection2d(device_, 0, 0, 4, 4);
    IDirect3DTexture8* texture = D3D8Test::MakeTexture(device_, 1, 1, {0xFF00FF00});
    ASSERT_NE(texture, nullptr);
    device_->SetTexture(0, texture);
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_EQ(D3D8Test::DrawTexturedQuad(device_, 0, 0, 4, 4, 0xFFFFFFFF), D3D_OK);
    IDirect3DSurface8* image = nullptr;
    device_->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &image);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(image, nullptr, nullptr, first, nullptr, nullptr, D3DX_FILTER_NONE, 0),
              D3D_OK);
    D3DLOCKED_RECT locked;
    image->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    EXPECT_EQ(*static_cast<uint32_t*>(locked.pBits), 0xFF00FF00u);
    image->UnlockRect();
    image->Release();
    // Let go by the device, both are gone.
    device_->SetTexture(0, nullptr);
    IDirect3DSurface8* backBuffer = nullptr;
    device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    device_->SetRenderTarget(backBuffer, nullptr);
    backBuffer->Release();
    EXPECT_EQ(texture->AddRef(), 0u);
    EXPECT_EQ(target->AddRef(), 0u);
    EXPECT_EQ(first->AddRef(), 0u);
    D3DSURFACE_DESC desc;
    EXPECT_EQ(first->GetDesc(&desc), D3DERR_INVALIDCALL);
}

TEST_F(TextureTest, ResetKeepsManagedTexturesAndRenderTargetsAreMadeAgain) {
    const std::vector<uint32_t> texels = {0xFF102030, 0x80405060, 0x00000000, 0xFFFFFFFF};
    IDirect3DTexture8* managed = D3D8Test::MakeTexture(device_, 2, 2, texels);
    IDirect3DTexture8* target = Create(64, 64, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    IDirect3DTexture8* kept = Create(8, 8, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    ASSERT_TRUE(managed && target && kept);
    IDirect3DSurface8* surface = nullptr;
    target->GetSurfaceLevel(0, &surface);
    device_->SetRenderTarget(surface, nullptr);
    surface->Release();

    PlatformTest::InjectDeviceLoss();
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    ASSERT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    ASSERT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    // The render target gives up its texture, as the engine's discardable resources do.
    EXPECT_EQ(target->Release(), 1u);
    D3DPRESENT_PARAMETERS parameters = D3D8Test::WindowedParameters(window_, kWidth, kHeight);
    ASSERT_EQ(device_->Reset(&parameters), D3D_OK);
    // Reset returned the back buffer as target, which let the old one go.
    EXPECT_EQ(target->AddRef(), 0u);

    EXPECT_EQ(DrawnTexels(device_, managed, 2, 2), texels);
    target = Create(64, 64, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    ASSERT_NE(target, nullptr);
    IDirect3DTexture8* copy = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, 2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &copy), D3D_OK);
    // The new target and the one that lived through the Reset both take drawing.
    for (IDirect3DTexture8* drawnInto : {target, kept}) {
        drawnInto->GetSurfaceLevel(0, &surface);
        ASSERT_EQ(device_->SetRenderTarget(surface, nullptr), D3D_OK);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF0000, 1.0f, 0);
        surface->Release();
        EXPECT_EQ(LockedTexels(drawnInto, 0, 1, 1)[0], 0x80FF0000u);
    }
    copy->Release();
    IDirect3DSurface8* backBuffer = nullptr;
    device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    device_->SetRenderTarget(backBuffer, nullptr);
    backBuffer->Release();
    target->Release();
    kept->Release();
    managed->Release();
}

}  // namespace
