#ifndef OBJECT3D_H
#define OBJECT3D_H

// Anything that can be drawn at the current matrix and hit by a moving point:
// the models and the game world. The caller places the object before drawing
// it; collision queries are in the object's own coordinates.

#include "BasicVector.h"

class Object3D
{
public:
    // Is p inside the object? Most objects have no inside.
    virtual bool isThere3DIntersectionPoint(Float3 const& p) const;
    // Does the segment from -> to hit the object? The hit point goes to out.
    virtual bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const = 0;
    // A second segment query for objects that offer two kinds of collision.
    virtual bool isThere3DIntersection2(Float3 const& from, Float3 const& to, Float3& out) const;
    virtual ~Object3D();
    // Draws at the current matrix.
    virtual void drawNoPos() const = 0;
};

#endif
