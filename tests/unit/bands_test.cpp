#include "app/render/bands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using tresk::BandOfLine;

TEST(BandMax, IsTwiceThePercentage) {
    for (std::int16_t p = 0; p <= 100; ++p) {
        EXPECT_EQ(tresk::BandMax(p), 2 * p) << p;
    }
}

TEST(BandMax, HoldsOddPercentagesToTheRange) {
    EXPECT_EQ(tresk::BandMax(-1), 0);
    EXPECT_EQ(tresk::BandMax(-32768), 0);
    EXPECT_EQ(tresk::BandMax(101), 200);
    EXPECT_EQ(tresk::BandMax(32767), 200);
}

TEST(BandOfLine, WorkedExample) {
    // 200 pixels wide, 50 percent, no Invert.
    const std::vector<std::int32_t> expected = {0, 0, 1, 2, 2, 2, 3};
    for (std::int32_t d = 0; d < static_cast<std::int32_t>(expected.size()); ++d) {
        EXPECT_EQ(BandOfLine(100, d, 200, 200, false), expected[static_cast<std::size_t>(d)]) << d;
    }
    EXPECT_EQ(BandOfLine(100, 198, 200, 200, false), 99);
    EXPECT_EQ(BandOfLine(100, 199, 200, 200, false), 100);  // 99.5 goes to the even 100
}

TEST(BandOfLine, InvertStartsAtTheDarkestBand) {
    EXPECT_EQ(BandOfLine(100, 0, 200, 200, true), 100);
    EXPECT_EQ(BandOfLine(100, 1, 200, 200, true), 100);  // 99.5
    EXPECT_EQ(BandOfLine(100, 2, 200, 200, true), 99);
    EXPECT_EQ(BandOfLine(100, 199, 200, 200, true), 0);  // 0.5
    // Every line with Invert mirrors the line without it.
    for (std::int32_t d = 0; d < 200; ++d) {
        EXPECT_EQ(BandOfLine(100, d, 200, 200, true), BandOfLine(100, 200 - d, 200, 200, false));
    }
}

TEST(BandOfLine, ClampsWhenSizeAndExtentDisagree) {
    // A picture size larger than the extent would reach beyond the darkest band.
    EXPECT_EQ(BandOfLine(100, 0, 200, 260, true), 100);
    EXPECT_EQ(BandOfLine(100, 10, 200, 260, true), 100);
    // A smaller one (or a line beyond it) would reach below band 0.
    EXPECT_EQ(BandOfLine(100, 199, 200, 150, true), 0);
    EXPECT_EQ(BandOfLine(100, 250, 200, 200, false), 100);
    EXPECT_EQ(BandOfLine(100, -3, 200, 200, false), 0);
}

TEST(BandOfLine, SingleBandAndEmptyExtent) {
    for (std::int32_t d = 0; d < 50; ++d) {
        EXPECT_EQ(BandOfLine(0, d, 50, 50, false), 0);
        EXPECT_EQ(BandOfLine(0, d, 50, 50, true), 0);
    }
    EXPECT_EQ(BandOfLine(100, 0, 0, 0, false), 0);
    EXPECT_EQ(BandOfLine(100, 0, 0, 0, true), 0);
    EXPECT_EQ(BandOfLine(100, 5, -10, 0, false), 0);
}

TEST(BandOfLine, LargestWindowStaysInRange) {
    const std::int32_t extent = 32767;
    std::int32_t previous = 0;
    for (std::int32_t d = 0; d < extent; ++d) {
        const std::int32_t band = BandOfLine(200, d, extent, extent, false);
        ASSERT_GE(band, previous) << d;  // never lightens along the ramp
        ASSERT_LE(band, 200) << d;
        previous = band;
        const std::int32_t inverted = BandOfLine(200, d, extent, extent, true);
        ASSERT_GE(inverted, 0) << d;
        ASSERT_LE(inverted, 200) << d;
    }
    EXPECT_EQ(BandOfLine(200, extent - 1, extent, extent, false), 200);  // 199.99...
    EXPECT_EQ(BandOfLine(200, 0, extent, extent, true), 200);
}

TEST(BandOfLine, AbsurdArgumentsDoNotOverflow) {
    constexpr std::int32_t kMax = 2147483647;
    constexpr std::int32_t kMin = -kMax - 1;
    EXPECT_EQ(BandOfLine(kMax, kMax, 1, kMin, false), kMax);
    EXPECT_EQ(BandOfLine(kMax, kMax, 1, kMin, true), 0);
    EXPECT_EQ(BandOfLine(kMax, kMin, 1, kMax, true), kMax);
}

}  // namespace

// Spans cover 0 .. extent - 1 from the left (or top) edge without gaps or overlaps,
// every pixel of a span shows the band BandOfLine gives its line, and neighbours
// differ (each span is as long as it can be).
void ExpectSpansFollowTheLines(std::int32_t bandMax, std::int32_t extent, std::int32_t size,
                               bool invert) {
    const std::vector<tresk::BandSpan> spans = tresk::BandSpans(bandMax, extent, size, invert);
    std::int32_t next = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const tresk::BandSpan& span = spans[i];
        ASSERT_EQ(span.from, next) << i;
        ASSERT_GT(span.count, 0) << i;
        for (std::int32_t x = span.from; x < span.from + span.count; ++x) {
            ASSERT_EQ(span.band, BandOfLine(bandMax, extent - 1 - x, extent, size, invert)) << x;
        }
        if (i > 0) {
            ASSERT_NE(span.band, spans[i - 1].band) << i;
        }
        next = span.from + span.count;
    }
    EXPECT_EQ(next, std::max(extent, 0));
}

TEST(BandSpans, CoverEveryPixelWithItsLinesBand) {
    for (const bool invert : {false, true}) {
        SCOPED_TRACE(invert);
        ExpectSpansFollowTheLines(200, 3761, 3761, invert);  // bands 18 or 19 pixels wide
        ExpectSpansFollowTheLines(200, 2141, 2141, invert);
        ExpectSpansFollowTheLines(100, 553, 553, invert);
        ExpectSpansFollowTheLines(74, 95, 95, invert);
        ExpectSpansFollowTheLines(200, 97, 97, invert);  // more bands than pixels
        ExpectSpansFollowTheLines(0, 40, 40, invert);
        ExpectSpansFollowTheLines(100, 150, 553, invert);  // sizes that disagree
        ExpectSpansFollowTheLines(100, 1, 1, invert);
    }
}

TEST(BandSpans, WorkedExampleFromTheLeftEdge) {
    // 200 pixels wide, 50 percent. Lines from the right edge take bands 0, 0, 1, 2, 2,
    // 2, 3, ...: the right edge holds band 0 twice, band 1 once and band 2 three times;
    // the left edge (line 199, 99.5) band 100 and then line 198 band 99, once each.
    const std::vector<tresk::BandSpan> spans = tresk::BandSpans(100, 200, 200, false);
    ASSERT_EQ(spans.size(), 101u);
    EXPECT_EQ(spans[0], (tresk::BandSpan{0, 1, 100}));
    EXPECT_EQ(spans[1], (tresk::BandSpan{1, 1, 99}));
    EXPECT_EQ(spans[98], (tresk::BandSpan{194, 3, 2}));
    EXPECT_EQ(spans[99], (tresk::BandSpan{197, 1, 1}));
    EXPECT_EQ(spans[100], (tresk::BandSpan{198, 2, 0}));
    // One band: one span over everything; nothing to paint: no span.
    EXPECT_EQ(tresk::BandSpans(0, 553, 553, true), (std::vector<tresk::BandSpan>{{0, 553, 0}}));
    EXPECT_TRUE(tresk::BandSpans(100, 0, 0, false).empty());
    EXPECT_TRUE(tresk::BandSpans(100, -4, 0, false).empty());
}
