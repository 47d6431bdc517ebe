// The D3DX matrix functions, through the points they move (row vectors).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include <d3dx8.h>

namespace {

struct Point {
    float x, y, z;
};

Point Transform(const Point& p, const D3DXMATRIX& m) {
    const float w = p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44;
    return {(p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41) / w,
            (p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42) / w,
            (p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43) / w};
}

TEST(D3DXMatrixTest, FunctionsMovePointsAsPublished) {
    struct Case {
        const char* name;
        std::function<void(D3DXMATRIX*)> make;
        Point from, to;
    };
    const float halfPi = 1.5707963f;
    const Case cases[] = {
        {"identity", [](D3DXMATRIX* m) { D3DXMatrixIdentity(m); }, {3, -4, 5}, {3, -4, 5}},
        {"translation", [](D3DXMATRIX* m) { D3DXMatrixTranslation(m, 3, 4, 5); }, {1, 2, 3}, {4, 6, 8}},
        {"scaling", [](D3DXMATRIX* m) { D3DXMatrixScaling(m, 2, 3, 4); }, {1, 1, 1}, {2, 3, 4}},
        {"rotation about z turns x into y",
         [&](D3DXMATRIX* m) { D3DXMatrixRotationZ(m, halfPi); },
         {1, 0, 7},
         {0, 1, 7}},
        {"multiply applies the first matrix first",
         [](D3DXMATRIX* m) {
             D3DXMATRIX translation, scaling;
             D3DXMatrixTranslation(&translation, 1, 0, 0);
             D3DXMatrixScaling(&scaling, 2, 2, 2);
             D3DXMatrixMultiply(m, &translation, &scaling);
         },
         {0, 0, 0},
         {2, 0, 0}},
        {"multiply into its own first operand",
         [](D3DXMATRIX* m) {
             D3DXMATRIX scaling;
             D3DXMatrixTranslation(m, 1, 0, 0);
             D3DXMatrixScaling(&scaling, 2, 2, 2);
             D3DXMatrixMultiply(m, m, &scaling);
         },
         {1, 1, 0},
         {4, 2, 0}},
        {"orthographic top-left corner",
         [](D3DXMATRIX* m) { D3DXMatrixOrthoOffCenterRH(m, 0, 800, 600, 0, 0, 1); },
         {0, 0, 0},
         {-1, 1, 0}},
        {"orthographic bottom-right corner, far plane",
         [](D3DXMATRIX* m) { D3DXMatrixOrthoOffCenterRH(m, 0, 800, 600, 0, 0, 1); },
         {800, 600, -1},
         {1, -1, 1}},
        {"orthographic off centre",
         [](D3DXMATRIX* m) { D3DXMatrixOrthoOffCenterRH(m, 0.5f, 800.5f, 600.5f, 0.5f, 0, 1); },
         {400.5f, 300.5f, 0},
         {0, 0, 0}},
    };
    for (const Case& c : cases) {
        D3DXMATRIX matrix;
        c.make(&matrix);
        const Point moved = Transform(c.from, matrix);
        EXPECT_NEAR(moved.x, c.to.x, 1e-5) << c.name;
        EXPECT_NEAR(moved.y, c.to.y, 1e-5) << c.name;
        EXPECT_NEAR(moved.z, c.to.z, 1e-5) << c.name;
    }
}

}  // namespace
