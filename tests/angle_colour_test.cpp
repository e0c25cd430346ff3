#include "curves/angle_colours.h"

#include <gtest/gtest.h>

#include <limits>

using turtle::ColorValue;
using turtle::PackColor;

namespace {

struct Row {
  double p;
  ColorValue colour1, colour2, colour3;
};

// Telling angles, the band edges among them (30 and 60 fall into the lower band).
const Row kRows[] = {
    {0, PackColor(0, 240, 240), PackColor(0, 240, 240), PackColor(0, 240, 0)},
    {15, PackColor(0, 120, 120), PackColor(120, 120, 120), PackColor(120, 120, 0)},
    {30, PackColor(0, 0, 0), PackColor(240, 0, 0), PackColor(240, 0, 0)},
    {31, PackColor(232, 0, 0), PackColor(232, 9, 0), PackColor(232, 9, 0)},
    {45, PackColor(120, 0, 0), PackColor(120, 65, 0), PackColor(120, 65, 0)},
    {60, PackColor(0, 0, 0), PackColor(0, 125, 0), PackColor(0, 125, 0)},
    {61, PackColor(8, 8, 129), PackColor(8, 129, 8), PackColor(8, 129, 8)},
    {75, PackColor(120, 120, 185), PackColor(120, 185, 120), PackColor(120, 185, 120)},
    {90, PackColor(240, 240, 245), PackColor(240, 245, 240), PackColor(240, 245, 240)},
    {92, PackColor(255, 255, 253), PackColor(255, 253, 255), PackColor(255, 253, 255)},
    {93, PackColor(255, 255, 255), PackColor(255, 255, 255), PackColor(255, 255, 255)},
    // Half-way channels round to even: 126.5 -> 126, 239.5 -> 240.
    {60.375, PackColor(3, 3, 126), PackColor(3, 126, 3), PackColor(3, 126, 3)},
    {30.0625, PackColor(240, 0, 0), PackColor(240, 5, 0), PackColor(240, 5, 0)},
};

TEST(AngleColourTest, TellingAnglesGiveTheirColours) {
  for (const Row& r : kRows) {
    EXPECT_EQ(curves::Color1(r.p), r.colour1) << "Color1(" << r.p << ")";
    EXPECT_EQ(curves::Color2(r.p), r.colour2) << "Color2(" << r.p << ")";
    EXPECT_EQ(curves::Color3(r.p), r.colour3) << "Color3(" << r.p << ")";
  }
}

TEST(AngleColourTest, ChannelsRoundHalfToEvenAndSaturateAtSixteenBits) {
  // clang-format off
  struct Case {
    double in;
    std::int16_t out;
  } cases[] = {{0.5, 0},        {1.5, 2},          {2.5, 2},         {-0.5, 0},
               {-1.5, -2},      {126.5, 126},      {127.5, 128},     {2.4999999, 2},
               {32766.5, 32766}, {32767.5, 32767}, {1e300, 32767},   {-32768.5, -32768},
               {-1e300, -32768}, {std::numeric_limits<double>::infinity(), 32767},
               {std::numeric_limits<double>::quiet_NaN(), 0}};
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(curves::RoundChannel(c.in), c.out) << c.in;
}

// Angles whose channels would leave the 16-bit range give white instead of failing.
TEST(AngleColourTest, HugeAnglesGiveWhite) {
  const ColorValue white = PackColor(255, 255, 255);
  for (const double p : {4155.9375, 4156.0, 1e6, 1e300, std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(curves::Color1(p), white) << p;
    EXPECT_EQ(curves::Color2(p), white) << p;
    EXPECT_EQ(curves::Color3(p), white) << p;
  }
}

TEST(AngleColourTest, NegativeChannelsPackAsZero) {
  EXPECT_EQ(curves::Color2(-5), PackColor(0, 255, 255));
  EXPECT_EQ(curves::Color3(-5), PackColor(0, 255, 0));
  EXPECT_EQ(curves::Color1(-5), PackColor(0, 255, 255));
  EXPECT_EQ(curves::Color3(-1e300), PackColor(0, 255, 0));
  EXPECT_EQ(curves::Color1(std::numeric_limits<double>::quiet_NaN()), PackColor(0, 0, 0));
}

TEST(AngleColourTest, PackingPutsRedInTheLowByteAndPixelsSwapIt) {
  EXPECT_EQ(PackColor(1, 2, 3), 0x030201);
  EXPECT_EQ(PackColor(300, -4, 255), 0xff00ff);
  EXPECT_EQ(turtle::ToArgb32(PackColor(0x12, 0x34, 0x56)), 0xff123456u);
  EXPECT_EQ(turtle::ChannelsOfPixel(turtle::ToArgb32(PackColor(0x12, 0x34, 0x56))),
            (turtle::Channels{0x12, 0x34, 0x56}));
}

}  // namespace
