#include "AdvancedBox.h"
#include "BasicVector.h"
#include "Core.h"
#include "MathManager.h"
#include "PositionBox.h"
#include "TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>

TEST(MathManager, AngleIsBroughtIntoMinusPiToPi)
{
    using MathManager::PI;
    EXPECT_EQ(MathManager::getAngleInPiRange(0.f), 0.f);
    EXPECT_EQ(MathManager::getAngleInPiRange(PI), -PI);
    EXPECT_EQ(MathManager::getAngleInPiRange(-PI), -PI);
    EXPECT_FLOAT_EQ(MathManager::getAngleInPiRange(7.f), 7.f - MathManager::PI_X2);
    EXPECT_FLOAT_EQ(MathManager::getAngleInPiRange(-7.f), -7.f + MathManager::PI_X2);
    EXPECT_FLOAT_EQ(MathManager::getAngleInPiRange(100.f), std::remainder(100.f, MathManager::PI_X2));
    EXPECT_EQ(MathManager::getAngleInPiRange(std::numeric_limits<float>::quiet_NaN()), 0.f);
}

TEST(MathManager, InfiniteAngleIsFatal)
{
    TestSupport::ChildResult const result = TestSupport::runInChild(
        [] { MathManager::getAngleInPiRange(-std::numeric_limits<float>::infinity()); });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("__FILE__ quillet_src/MathManager.cpp"), std::string::npos);
    EXPECT_NE(result.errors.find("Condition: angleInRadians != std::numeric_limits< float >::infinity() && "
                                 "angleInRadians != -std::numeric_limits< float >::infinity()\nMessage: "
                                 "angleInRadians != std::numeric_limits< float >::infinity() && "
                                 "angleInRadians != -std::numeric_limits< float >::infinity()\n"),
              std::string::npos)
        << result.errors;
}

TEST(MathManager, FastApproximationsStayClose)
{
    for (float x = -3.f; x <= 3.f; x += 0.25f)
    {
        EXPECT_NEAR(MathManager::fastSin(x), std::sin(x), 0.06f);
        EXPECT_NEAR(MathManager::fastSinMorePrecise(x), std::sin(x), 0.002f);
    }
    EXPECT_NEAR(MathManager::fastCos(0.f), 1.f, 0.001f);
    EXPECT_NEAR(MathManager::fastInverseSqrt(4.f), 0.5f, 0.002f);
    EXPECT_EQ(MathManager::accurateSqrt(9.f), 3.f);
}

TEST(Core, SphericalCoordinatesUseYAsThePolarAxis)
{
    using MathManager::PI;
    EXPECT_EQ(Core::getSphericalCoordinatesFrom3DCoordinates(Float3(0, 5, 0)), Float3(0, 0, 0));
    Float3 const east = Core::getSphericalCoordinatesFrom3DCoordinates(Float3(1, 0, 0));
    EXPECT_FLOAT_EQ(east.x(), 1.f);
    EXPECT_FLOAT_EQ(east.y(), PI / 2);
    EXPECT_FLOAT_EQ(east.z(), 0.f);
    Float3 const back = Core::getSphericalCoordinatesFrom3DCoordinates(Float3(0, 0, -1));
    EXPECT_FLOAT_EQ(back.y(), PI / 2);
    EXPECT_FLOAT_EQ(back.z(), 3 * PI / 2);

    Float3 const point(3.f, -2.f, -4.f);
    Float3 const spherical = Core::getSphericalCoordinatesFrom3DCoordinates(point);
    Float3 const again = Core::get3DCoordinatesFromSphericalCoordinates(spherical.x(), spherical.y(), spherical.z());
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(again[i], point[i], 1e-5f);
}

TEST(Core, VectorHelpers)
{
    EXPECT_EQ(Core::crossProduct(Float3(1, 0, 0), Float3(0, 1, 0)), Float3(0, 0, 1));
    EXPECT_EQ(Core::crossProduct(Float2(2, 0), Float2(0, 3)), Float3(0, 0, 6));
    EXPECT_EQ(Core::dotProduct(Float3(1, 2, 3), Float3(4, 5, 6)), 32.f);
    EXPECT_EQ(Core::middleBetweenTwoPoints(Float3(0, 0, 0), Float3(2, 4, 6)), Float3(1, 2, 3));
    EXPECT_EQ(Core::distanceBetween(Float3(0, 0, 0), Float3(2, 3, 6)), 7.f);
    EXPECT_EQ(Core::distanceBetweenInt2(Int2(0, 0), Int2(3, 4)), 5.f);
}

TEST(AdvancedBox, RotatedPointRoundsHalfAwayFromZero)
{
    EXPECT_EQ(getRotatedPoint(10, 0, MathManager::PI / 2, 0, 0, 0), Int2(0, 10));
    EXPECT_EQ(getRotatedPoint(10, 0, MathManager::PI, 0, 0, 5), Int2(-5, 0));
    EXPECT_EQ(getRotatedPoint(110, 100, 0.f, 100, 100, 0), Int2(110, 100));
    // (1, 1) turned by 45 degrees lands on (0, 1.414...) and rounds to (0, 1).
    EXPECT_EQ(getRotatedPoint(1, 1, MathManager::PI / 4, 0, 0, 0), Int2(0, 1));
    // (4, 0) turned by 135 degrees lands on (-2.83, 2.83): rounded, not truncated, on both sides of zero.
    EXPECT_EQ(getRotatedPoint(4, 0, 3 * MathManager::PI / 4, 0, 0, 0), Int2(-3, 3));
    EXPECT_EQ(getRotatedPoint(104, 50, 3 * MathManager::PI / 4, 100, 50, 0), Int2(97, 53));
}

TEST(AdvancedBox, UnrotatedBoxCornersAndStrictInside)
{
    AdvancedBox box;
    box.calculate(Int2(100, 100), Int2(20, 10), Int2(0, 0), 0.f, 0, 0);
    EXPECT_EQ(box.corners[0], Int2(120, 110));
    EXPECT_EQ(box.corners[1], Int2(100, 110));
    EXPECT_EQ(box.corners[2], Int2(100, 100));
    EXPECT_EQ(box.corners[3], Int2(120, 100));
    EXPECT_TRUE(box.isThereIntersectionSlow(Int2(110, 105)));
    EXPECT_FALSE(box.isThereIntersectionSlow(Int2(100, 105)));
    EXPECT_FALSE(box.isThereIntersectionSlow(Int2(130, 105)));
}

TEST(AdvancedBox, RotatedBoxContainsItsCentreButNotItsOldCorner)
{
    AdvancedBox box;
    // A 40 x 40 square turned 45 degrees about its centre (100, 100).
    box.calculate(Int2(100, 100), Int2(40, 40), Int2(20, 20), 45.f, 0, 0);
    EXPECT_TRUE(box.isThereIntersectionSlow(Int2(100, 100)));
    EXPECT_TRUE(box.isThereIntersectionSlow(Int2(100, 125)));
    EXPECT_FALSE(box.isThereIntersectionSlow(Int2(119, 119)));
    EXPECT_FALSE(box.isThereIntersectionSlow(Int2(160, 100)));
}

TEST(AdvancedBox, BoxAgainstBoxSlowNeedsACornerFastNeedsACrossing)
{
    AdvancedBox a;
    a.calculate(Int2(0, 0), Int2(100, 20), Int2(0, 0), 0.f, 0, 0);
    AdvancedBox overlapping;
    overlapping.calculate(Int2(90, 10), Int2(30, 30), Int2(0, 0), 0.f, 0, 0);
    EXPECT_TRUE(a.isThereIntersectionSlow(overlapping));
    EXPECT_TRUE(a.isThereIntersectionFast(overlapping));

    // A cross: neither holds a corner of the other, but the edges cross.
    AdvancedBox across;
    across.calculate(Int2(40, -40), Int2(20, 100), Int2(0, 0), 0.f, 0, 0);
    EXPECT_FALSE(a.isThereIntersectionSlow(across));
    EXPECT_TRUE(a.isThereIntersectionFast(across));

    // Wholly inside: the slow test sees corners, the fast test sees no crossing.
    AdvancedBox inner;
    inner.calculate(Int2(10, 5), Int2(10, 5), Int2(0, 0), 0.f, 0, 0);
    EXPECT_TRUE(a.isThereIntersectionSlow(inner));
    EXPECT_FALSE(a.isThereIntersectionFast(inner));

    AdvancedBox far;
    far.calculate(Int2(500, 500), Int2(10, 10), Int2(0, 0), 30.f, 0, 0);
    EXPECT_FALSE(a.isThereIntersectionSlow(far));
    EXPECT_FALSE(a.isThereIntersectionFast(far));
}

TEST(BasicVector, ArithmeticAndStreamOutput)
{
    Int3 v(1, 2, 3);
    EXPECT_EQ(v + Int3(1, 1, 1), Int3(2, 3, 4));
    EXPECT_EQ(v - Int3(1, 1, 1), Int3(0, 1, 2));
    EXPECT_EQ(v * 2, Int3(2, 4, 6));
    EXPECT_EQ(Float2(3.f, 6.f) / 3.f, Float2(1.f, 2.f));
    EXPECT_NE(v, Int3(1, 2, 4));
    std::ostringstream text;
    text << v << " " << PositionBox(1, 2, 3, 4) << " " << colorSemiTransparent;
    EXPECT_EQ(text.str(), "BasicVector<3,?(sizeof=4)> (1;2;3;) PositionBox (x0=1;y0=2;x1=3;y1=4) "
                          "BasicVector<4,?(sizeof=1)> (255;255;255;128;)");
}

TEST(AdvancedBox, ShiftsSlantTheCornerPairsAfterTheTurn)
{
    AdvancedBox box;
    // Turned a quarter: the corners swing about position, then the pairs move sideways.
    box.calculate(Int2(100, 100), Int2(20, 10), Int2(0, 0), 90.f, 3, -4);
    EXPECT_EQ(box.corners[0], Int2(90 - 4, 120));
    EXPECT_EQ(box.corners[1], Int2(90 - 4, 100));
    EXPECT_EQ(box.corners[2], Int2(100 + 3, 100));
    EXPECT_EQ(box.corners[3], Int2(100 + 3, 120));
}

TEST(AdvancedBox, RotatedBoxesMeetThroughCornersOrCrossingEdges)
{
    // A 40 x 40 diamond about (100, 100): its tips reach 28 units out on each axis.
    AdvancedBox diamond;
    diamond.calculate(Int2(100, 100), Int2(40, 40), Int2(20, 20), 45.f, 0, 0);

    // A thin bar through the diamond's middle, turned the other way: edges cross, no corner inside.
    AdvancedBox bar;
    bar.calculate(Int2(100, 100), Int2(120, 4), Int2(60, 2), -45.f, 0, 0);
    EXPECT_TRUE(diamond.isThereIntersectionFast(bar));
    EXPECT_TRUE(bar.isThereIntersectionFast(diamond));
    EXPECT_FALSE(diamond.isThereIntersectionSlow(bar));

    // A small square on the right tip: the tip is inside it.
    AdvancedBox onTip;
    onTip.calculate(Int2(128, 100), Int2(10, 10), Int2(5, 5), 0.f, 0, 0);
    EXPECT_TRUE(diamond.isThereIntersectionSlow(onTip));
    EXPECT_TRUE(onTip.isThereIntersectionSlow(diamond));
    EXPECT_TRUE(diamond.isThereIntersectionFast(onTip));

    // The same square in the diamond's empty corner region: near, but apart.
    AdvancedBox nearCorner;
    nearCorner.calculate(Int2(125, 125), Int2(10, 10), Int2(5, 5), 0.f, 0, 0);
    EXPECT_FALSE(diamond.isThereIntersectionSlow(nearCorner));
    EXPECT_FALSE(diamond.isThereIntersectionFast(nearCorner));
}

TEST(AdvancedBox, ParallelAndNearlyParallelEdgesAreNoCrossing)
{
    AdvancedBox flat;
    flat.corners[0] = Int2(2000000000, 10);
    flat.corners[1] = Int2(0, 10);
    flat.corners[2] = Int2(0, 0);
    flat.corners[3] = Int2(2000000000, 0);
    // Long edges one unit steeper over the whole length: their lines meet the
    // flat box's lines beyond what an int holds.
    AdvancedBox slanted;
    slanted.corners[0] = Int2(2000000000, 31);
    slanted.corners[1] = Int2(0, 30);
    slanted.corners[2] = Int2(0, 20);
    slanted.corners[3] = Int2(2000000000, 21);
    EXPECT_FALSE(flat.isThereIntersectionFast(slanted));
    EXPECT_FALSE(slanted.isThereIntersectionFast(flat));
    AdvancedBox besideIt;
    besideIt.calculate(Int2(0, 20), Int2(100, 10), Int2(0, 0), 0.f, 0, 0);
    EXPECT_FALSE(flat.isThereIntersectionFast(besideIt));
}
