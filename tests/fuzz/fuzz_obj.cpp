// Feeds arbitrary bytes to the OBJ reader and, when they read as a mesh, runs
// the normals, the welds and a few segment tests over it. The bytes before the
// first 0 byte are the OBJ text; the rest is the text of every material library
// it names.

#include "ObjMeshReader.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    std::string const bytes(reinterpret_cast<char const*>(data), size);
    size_t const split = bytes.find('\0');
    std::string const objText = bytes.substr(0, split);
    std::string const mtlText = split == std::string::npos ? std::string() : bytes.substr(split + 1);

    ObjMesh mesh;
    mesh.pathname = "fuzz/model.obj";
    ObjMeshReader reader("fuzz/", [&mtlText](std::string const& path, std::string& text) {
        text = mtlText;
        return path != "fuzz/missing.mtl";
    });
    if (!reader.readObj(objText, mesh))
        return 0;
    glmFacetNormals(mesh);
    glmVertexNormals(mesh, 90.f);
    glmWeld(mesh, 0.01f);
    Float3 out;
    mesh.findFirstSegmentHit(Float3(0.f, 10.f, 0.f), Float3(0.f, -10.f, 0.f), out);
    mesh.findFirstSegmentHit(Float3(-3.f, 0.5f, 2.f), Float3(4.f, 0.25f, -1.f), out);
    glmWeld(mesh, 1000.f);
    mesh.findFirstSegmentHit(Float3(1.f, 1.f, 1.f), Float3(-1.f, -1.f, -1.f), out);
    return 0;
}
