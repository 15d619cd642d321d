#ifndef MODELBUILDER_H
#define MODELBUILDER_H

// A textured model being built for the game: boxes and faces with texture
// coordinates, in named groups with materials, written as a Wavefront OBJ file
// and its MTL file using only the statements the engine reads (v, vt, g,
// usemtl, mtllib, f; newmtl, Kd, Ka, Ks, Ns, map_Kd). Texture coordinates are
// written as the engine uses them: v = 0 is the top row of the picture.

#include "BasicVector.h"

#include <string>
#include <vector>

class ModelBuilder
{
public:
    // A rectangle of the texture, in texture units, top-left then bottom-right.
    struct TextureArea
    {
        float left = 0.0f, top = 0.0f, right = 1.0f, bottom = 1.0f;
    };
    // Where a box's six faces take their texture, by outward normal.
    struct BoxSkin
    {
        TextureArea front, back, left, right, top, bottom; // +z, -z, -x, +x, +y, -y
    };
    // A turn applied to a part: first about x, then about z, both around pivot
    // (degrees; a positive angle about x swings a hanging part towards +z).
    struct Pose
    {
        Float3 pivot;
        float swingX = 0.0f;
        float swingZ = 0.0f;
    };
    struct Material
    {
        std::string name;
        Float3 diffuse;
        Float3 ambient;
        Float3 specular;
        float shininess = 0.0f; // the MTL "Ns" value, 0 to 1000
        std::string texture;    // file beside the OBJ file; empty for none
    };

    void addMaterial(Material const& material);
    // Later faces go to this group with this material.
    void startGroup(std::string const& name, std::string const& material);
    // An axis-aligned box from low to high, then turned by pose.
    void addBox(Float3 const& low, Float3 const& high, BoxSkin const& skin, Pose const& pose);
    // A convex face; corners counter-clockwise seen from outside.
    void addFace(std::vector<Float3> const& corners, std::vector<Float2> const& texCoords);

    // Moves the whole model up or down so that its lowest point is at y = 0.
    void standOnGround();

    std::string toObj(std::string const& materialFileName) const;
    std::string toMtl() const;

private:
    struct Face
    {
        std::vector<int> vertices;  // 1-based, as in the file
        std::vector<int> texCoords; // 1-based
    };
    struct Group
    {
        std::string name;
        std::string material;
        std::vector<Face> faces;
    };

    static Float3 applyPose(Float3 const& p, Pose const& pose);
    void addQuad(Float3 const& centre, Float3 const& half, Float3 const& normal, Float3 const& right,
                 Float3 const& up, TextureArea const& area, Pose const& pose);

    std::vector<Float3> vertices;
    std::vector<Float2> texCoords;
    std::vector<Group> groups;
    std::vector<Material> materials;
};

#endif
