#include "ModelBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
float const DEGREES_TO_RADIANS = 3.14159265f / 180.0f;

float dot(Float3 const& a, Float3 const& b)
{
    return a.x() * b.x() + a.y() * b.y() + a.z() * b.z();
}

// Fixed notation with few decimals: short files, same text on every run.
std::string number(float value)
{
    char text[32] = "";
    snprintf(text, sizeof(text), "%.4f", std::fabs(value) < 0.00005f ? 0.0f : value);
    return text;
}
}

void ModelBuilder::addMaterial(Material const& material)
{
    materials.push_back(material);
}

void ModelBuilder::startGroup(std::string const& name, std::string const& material)
{
    groups.push_back(Group{name, material, {}});
}

Float3 ModelBuilder::applyPose(Float3 const& p, Pose const& pose)
{
    Float3 const d = p - pose.pivot;
    float const ax = -pose.swingX * DEGREES_TO_RADIANS; // towards +z for a part hanging down
    float const y1 = d.y() * std::cos(ax) - d.z() * std::sin(ax);
    float const z1 = d.y() * std::sin(ax) + d.z() * std::cos(ax);
    float const az = pose.swingZ * DEGREES_TO_RADIANS;
    float const x2 = d.x() * std::cos(az) - y1 * std::sin(az);
    float const y2 = d.x() * std::sin(az) + y1 * std::cos(az);
    return pose.pivot + Float3(x2, y2, z1);
}

void ModelBuilder::addQuad(Float3 const& centre, Float3 const& half, Float3 const& normal, Float3 const& right,
                      Float3 const& up, TextureArea const& area, Pose const& pose)
{
    // Extents along each face direction; right x up = normal keeps the winding
    // counter-clockwise from outside, which the engine's facet normals rely on.
    Float3 const n = normal * std::fabs(dot(normal, half));
    Float3 const r = right * std::fabs(dot(right, half));
    Float3 const u = up * std::fabs(dot(up, half));
    std::vector<Float3> const corners = {centre + n - r - u, centre + n + r - u, centre + n + r + u, centre + n - r + u};
    std::vector<Float2> const coords = {Float2(area.left, area.bottom), Float2(area.right, area.bottom),
                                        Float2(area.right, area.top), Float2(area.left, area.top)};
    std::vector<Float3> posed;
    for (Float3 const& c : corners)
        posed.push_back(applyPose(c, pose));
    addFace(posed, coords);
}

void ModelBuilder::addBox(Float3 const& low, Float3 const& high, BoxSkin const& skin, Pose const& pose)
{
    Float3 const centre = (low + high) * 0.5f;
    Float3 const half = (high - low) * 0.5f;
    Float3 const x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    addQuad(centre, half, z, x, y, skin.front, pose);
    addQuad(centre, half, -z, -x, y, skin.back, pose);
    addQuad(centre, half, -x, z, y, skin.left, pose);
    addQuad(centre, half, x, -z, y, skin.right, pose);
    addQuad(centre, half, y, x, -z, skin.top, pose);
    addQuad(centre, half, -y, x, z, skin.bottom, pose);
}

void ModelBuilder::addFace(std::vector<Float3> const& corners, std::vector<Float2> const& coords)
{
    if (groups.empty())
        startGroup("default", materials.empty() ? "" : materials.front().name);
    Face face;
    for (size_t i = 0; i < corners.size(); ++i)
    {
        vertices.push_back(corners[i]);
        texCoords.push_back(coords[i]);
        face.vertices.push_back(static_cast<int>(vertices.size()));
        face.texCoords.push_back(static_cast<int>(texCoords.size()));
    }
    groups.back().faces.push_back(face);
}

void ModelBuilder::standOnGround()
{
    if (vertices.empty())
        return;
    float lowest = vertices.front().y();
    for (Float3 const& v : vertices)
        lowest = std::min(lowest, v.y());
    for (Float3& v : vertices)
        v.y() -= lowest;
}

std::string ModelBuilder::toObj(std::string const& materialFileName) const
{
    std::string out = "# Made by the Quillet data generator\nmtllib " + materialFileName + "\n";
    for (Float3 const& v : vertices)
        out += "v " + number(v.x()) + " " + number(v.y()) + " " + number(v.z()) + "\n";
    for (Float2 const& t : texCoords)
        out += "vt " + number(t.x()) + " " + number(t.y()) + "\n";
    for (Group const& group : groups)
    {
        out += "g " + group.name + "\n";
        if (!group.material.empty())
            out += "usemtl " + group.material + "\n";
        for (Face const& face : group.faces)
        {
            out += "f";
            for (size_t i = 0; i < face.vertices.size(); ++i)
                out += " " + std::to_string(face.vertices[i]) + "/" + std::to_string(face.texCoords[i]);
            out += "\n";
        }
    }
    return out;
}

std::string ModelBuilder::toMtl() const
{
    std::string out = "# Made by the Quillet data generator\n";
    for (Material const& m : materials)
    {
        out += "newmtl " + m.name + "\n";
        out += "Ns " + number(m.shininess) + "\n";
        out += "Ka " + number(m.ambient.x()) + " " + number(m.ambient.y()) + " " + number(m.ambient.z()) + "\n";
        out += "Kd " + number(m.diffuse.x()) + " " + number(m.diffuse.y()) + " " + number(m.diffuse.z()) + "\n";
        out += "Ks " + number(m.specular.x()) + " " + number(m.specular.y()) + " " + number(m.specular.z()) + "\n";
        if (!m.texture.empty())
            out += "map_Kd " + m.texture + "\n";
    }
    return out;
}
