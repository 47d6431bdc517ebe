#include "Common/DistortionMesh.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void MeshPoint::DeclareProperties() {
    RegisterAnimatableProperty<MeshPoint, Color>("Color", &MeshPoint::GetColor, &MeshPoint::SetColor, nullptr);
    RegisterAnimatableProperty<MeshPoint, Vector2>("UV", &MeshPoint::GetUV, &MeshPoint::SetUV, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::ColorProperty' { Name 'Color' Group 'Mesh Point' } "
        "'Metadata::Vector2Property' { Name 'UV' Group 'Mesh Point' Step 0.01 } ] }");
}

MeshPoint::MeshPoint() : color(0xFFFFFFFFu), uv(0.0f, 0.0f) {
    SetClassInfo(&staticClassInfo);
}

void DistortionMesh::DeclareProperties() {
    RegisterAnimatableProperty<DistortionMesh, std::string>("TexturePath", &DistortionMesh::GetTexturePath,
                                                            &DistortionMesh::SetTexturePath, nullptr);
    RegisterProperty<DistortionMesh, int32_t>("NumRows", &DistortionMesh::GetNumRows, &DistortionMesh::SetNumRows);
    RegisterProperty<DistortionMesh, int32_t>("NumCols", &DistortionMesh::GetNumCols, &DistortionMesh::SetNumCols);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::PathProperty' { Name 'TexturePath' Group 'Mesh' Wildcard '*.png;*.dds;*.pvr' } "
        "'Metadata::IntProperty' { Name 'NumRows' Group 'Mesh' Step 1 } "
        "'Metadata::IntProperty' { Name 'NumCols' Group 'Mesh' Step 1 } ] }");
}

DistortionMesh::DistortionMesh() : numCols(2), numRows(2) {
    SetClassInfo(&staticClassInfo);
    SetCompound(true);
}

}  // namespace Zep
