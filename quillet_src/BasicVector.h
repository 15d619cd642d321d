#ifndef BASICVECTOR_H
#define BASICVECTOR_H

// N contiguous values of type T: positions, sizes and angles (Float3), cube and
// region indices (Int3), texture coordinates and scales (Float2), window
// positions and sizes (Int2) and RGBA colours (Color4, 255 opaque).

#include <ostream>
#include <type_traits>

template <int N, typename T>
class BasicVector
{
public:
    // constexpr, so that the colour constants are set before any other
    // file's static initialisation can read them.
    constexpr BasicVector() : values{}
    {
    }

    template <typename... Components, typename = std::enable_if_t<sizeof...(Components) == N && (N > 1)>>
    constexpr BasicVector(Components... components) : values{static_cast<T>(components)...}
    {
    }

    T& operator[](int i) { return values[i]; }
    T const& operator[](int i) const { return values[i]; }

    T& x() { return values[0]; }
    T x() const { return values[0]; }
    T& y() { return values[1]; }
    T y() const { return values[1]; }
    T& z()
    {
        static_assert(N >= 3, "z() needs three components");
        return values[2];
    }
    T z() const
    {
        static_assert(N >= 3, "z() needs three components");
        return values[2];
    }
    T& w()
    {
        static_assert(N >= 4, "w() needs four components");
        return values[3];
    }
    T w() const
    {
        static_assert(N >= 4, "w() needs four components");
        return values[3];
    }
    T& width() { return values[0]; }
    T width() const { return values[0]; }
    T& height() { return values[1]; }
    T height() const { return values[1]; }

    T* data() { return values; }
    T const* data() const { return values; }

    BasicVector& operator+=(BasicVector const& other)
    {
        for (int i = 0; i < N; ++i)
            values[i] += other.values[i];
        return *this;
    }
    BasicVector& operator-=(BasicVector const& other)
    {
        for (int i = 0; i < N; ++i)
            values[i] -= other.values[i];
        return *this;
    }
    BasicVector& operator*=(T scalar)
    {
        for (int i = 0; i < N; ++i)
            values[i] *= scalar;
        return *this;
    }
    BasicVector& operator/=(T scalar)
    {
        for (int i = 0; i < N; ++i)
            values[i] /= scalar;
        return *this;
    }

    BasicVector operator+(BasicVector const& other) const { return BasicVector(*this) += other; }
    BasicVector operator-(BasicVector const& other) const { return BasicVector(*this) -= other; }
    BasicVector operator*(T scalar) const { return BasicVector(*this) *= scalar; }
    BasicVector operator/(T scalar) const { return BasicVector(*this) /= scalar; }
    BasicVector operator-() const
    {
        BasicVector result;
        for (int i = 0; i < N; ++i)
            result.values[i] = -values[i];
        return result;
    }

    bool operator==(BasicVector const& other) const
    {
        for (int i = 0; i < N; ++i)
            if (!(values[i] == other.values[i]))
                return false;
        return true;
    }
    bool operator!=(BasicVector const& other) const { return !(*this == other); }

private:
    T values[N];
};

template <int N, typename T>
std::ostream& operator<<(std::ostream& out, BasicVector<N, T> const& vector)
{
    out << "BasicVector<" << N << ",?(sizeof=" << sizeof(T) << ")> (";
    for (int i = 0; i < N; ++i)
        out << +vector[i] << ";"; // unary + prints byte components as numbers
    return out << ")";
}

typedef BasicVector<3, float> Float3;
typedef BasicVector<3, int> Int3;
typedef BasicVector<2, float> Float2;
typedef BasicVector<2, int> Int2;
typedef BasicVector<4, unsigned char> Color4;

extern Color4 const colorBlack;
extern Color4 const colorWhite;
extern Color4 const colorSemiTransparent;
extern Color4 const colorTransparent;
extern Color4 const colorBlue;
extern Color4 const colorYellow;
extern Color4 const colorRed;
extern Color4 const colorGrey;

#endif
