// Distortion meshes: graphics that draw a texture over a grid of mesh points, so
// that moving the points distorts the image. So far their data; the texture path is
// stored as given.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Graphic.h"
#include "Common/PointObject.h"

namespace Zep {

// One grid point of a mesh, with its own texture coordinate and colour.
class MeshPoint : public PointObject {
    ZEP_DECLARE_CLASS();

    MeshPoint();

    // --- Properties ---
    const Color& GetColor() const { return color; }
    void SetColor(const Color& value) { color = value; }
    const Vector2& GetUV() const { return uv; }
    void SetUV(const Vector2& value) { uv = value; }

protected:
    Color color;
    Vector2 uv;
};

// A container of its mesh points: its constructor sets compound.
class DistortionMesh : public Graphic {
    ZEP_DECLARE_CLASS();

    DistortionMesh();

    // --- Properties ---
    // A content path, optionally ending in a region suffix.
    const std::string& GetTexturePath() const { return texturePath; }
    void SetTexturePath(const std::string& value) { texturePath = value; }
    // Cells of the grid; a grid has one point more in each direction.
    int32_t GetNumRows() const { return numRows; }
    void SetNumRows(int32_t value) { numRows = value; }
    int32_t GetNumCols() const { return numCols; }
    void SetNumCols(int32_t value) { numCols = value; }

protected:
    std::string texturePath;
    int32_t numCols;
    int32_t numRows;
};

}  // namespace Zep
