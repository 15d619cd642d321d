#include "ObjectModels.h"

#include "Noise.h"

#include <cmath>

namespace
{
float const PI = 3.14159265f;

ModelBuilder::Material shinyMaterial(std::string const& name, std::string const& texture)
{
    ModelBuilder::Material m;
    m.name = name;
    m.diffuse = Float3(1.0f, 1.0f, 1.0f);
    m.ambient = Float3(0.5f, 0.5f, 0.5f);
    m.specular = Float3(0.9f, 0.9f, 0.9f);
    m.shininess = 600.0f;
    m.texture = texture;
    return m;
}
}

namespace ObjectModels
{
ModelBuilder makeGem()
{
    // Eight-sided bipyramid: a short crown over a long pavilion.
    int const sides = 8;
    float const radius = 3.5f, girdle = 5.5f, top = 9.0f, bottom = 0.0f;
    ModelBuilder mesh;
    mesh.addMaterial(shinyMaterial("gem", "gem.png"));
    mesh.startGroup("gem", "gem");
    for (int i = 0; i < sides; ++i)
    {
        float const a0 = 2.0f * PI * i / sides, a1 = 2.0f * PI * (i + 1) / sides;
        Float3 const g0(radius * std::cos(a0), girdle, radius * std::sin(a0));
        Float3 const g1(radius * std::cos(a1), girdle, radius * std::sin(a1));
        float const u0 = float(i) / sides, u1 = float(i + 1) / sides, uMiddle = (u0 + u1) * 0.5f;
        mesh.addFace({Float3(0.0f, top, 0.0f), g1, g0}, {Float2(uMiddle, 0.0f), Float2(u1, 0.5f), Float2(u0, 0.5f)});
        mesh.addFace({Float3(0.0f, bottom, 0.0f), g0, g1}, {Float2(uMiddle, 1.0f), Float2(u0, 0.5f), Float2(u1, 0.5f)});
    }
    return mesh;
}

Canvas makeGemTexture()
{
    int const size = 32;
    Canvas canvas(size, size, Color4(0, 0, 0, 255));
    Noise const noise(21);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            // Light crown fading to a deep pavilion, with a sparkle per facet.
            float const t = y / float(size - 1);
            float const sparkle = noise.tiled(x * 0.25f, y * 0.25f, 8) > 0.78f ? 60.0f : 0.0f;
            float const r = 120.0f + 80.0f * (1.0f - t) + sparkle;
            float const g = 40.0f + 150.0f * (1.0f - t) + sparkle;
            float const b = 200.0f + 55.0f * (1.0f - t) * 0.5f + sparkle;
            canvas.setPixel(x, y, Color4(static_cast<unsigned char>(std::min(255.0f, r)),
                                         static_cast<unsigned char>(std::min(255.0f, g)),
                                         static_cast<unsigned char>(std::min(255.0f, b)), 255));
        }
    return canvas;
}

ModelBuilder makeCoin()
{
    // Upright disc facing z, rolling edge on the ground.
    int const sides = 20;
    float const radius = 4.5f, halfThickness = 0.5f, centreY = 4.5f;
    ModelBuilder mesh;
    mesh.addMaterial(shinyMaterial("coin", "coin.png"));
    mesh.startGroup("coin", "coin");
    std::vector<Float3> front, back;
    std::vector<Float2> frontCoords, backCoords;
    for (int i = 0; i < sides; ++i)
    {
        float const a = 2.0f * PI * i / sides;
        float const c = std::cos(a), s = std::sin(a);
        front.push_back(Float3(radius * c, centreY + radius * s, halfThickness));
        frontCoords.push_back(Float2(0.5f + 0.48f * c, 0.5f - 0.48f * s));
        float const b = -a; // the back cap runs the other way round to face -z
        back.push_back(Float3(radius * std::cos(b), centreY + radius * std::sin(b), -halfThickness));
        backCoords.push_back(Float2(0.5f - 0.48f * std::cos(b), 0.5f - 0.48f * std::sin(b)));
    }
    mesh.addFace(front, frontCoords);
    mesh.addFace(back, backCoords);
    for (int i = 0; i < sides; ++i)
    {
        float const a0 = 2.0f * PI * i / sides, a1 = 2.0f * PI * (i + 1) / sides;
        Float3 const p0(radius * std::cos(a0), centreY + radius * std::sin(a0), 0.0f);
        Float3 const p1(radius * std::cos(a1), centreY + radius * std::sin(a1), 0.0f);
        Float3 const thickness(0.0f, 0.0f, halfThickness);
        // The rim takes the plain gold of the texture's corner.
        mesh.addFace({p0 - thickness, p1 - thickness, p1 + thickness, p0 + thickness},
                     {Float2(0.02f, 0.02f), Float2(0.06f, 0.02f), Float2(0.06f, 0.06f), Float2(0.02f, 0.06f)});
    }
    return mesh;
}

Canvas makeCoinTexture()
{
    int const size = 64;
    Canvas canvas(size, size, Color4(212, 160, 40, 255));
    Float2 const centre(size * 0.5f, size * 0.5f);
    canvas.fillDisc(centre, size * 0.46f, Color4(240, 196, 60, 255));
    canvas.fillDisc(centre, size * 0.38f, Color4(226, 178, 48, 255));
    // A five-pointed star in the middle.
    std::vector<Float2> star;
    for (int i = 0; i < 10; ++i)
    {
        float const a = -PI / 2.0f + PI * i / 5.0f;
        float const r = (i % 2 == 0) ? size * 0.3f : size * 0.12f;
        star.push_back(Float2(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a)));
    }
    canvas.fillPolygon(star, Color4(255, 232, 120, 255));
    return canvas;
}
}
