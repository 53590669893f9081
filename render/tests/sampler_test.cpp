// The scrambled Sobol sequence and the mi_sample counter-and-budget protocol.
#include <gtest/gtest.h>
#include <set>

#include "sampler/path_sampling.h"
#include "sampler/sobol.h"
#include "test_scenes.h"
#include <vitrel/host/ops.h>

namespace vr {
namespace {

// Every dyadic interval of length 2^-m holds exactly one of the first 2^m
// values, for every dimension, scrambled or not.
TEST(Sobol, EachDimensionIsStratifiedAtEveryPowerOfTwo) {
  for (uint64_t seed : {0ull, 7ull, 123456789ull})
    for (int d = 0; d < kSobolDimensions; ++d)
      for (int m = 0; m <= 8; ++m) {
        std::vector<int> hits(1u << m, 0);
        for (uint32_t i = 0; i < (1u << m); ++i) {
          double v = seed == 0 ? sobol_bits(i, d) / 4294967296.0 : scrambled_sobol(i, d, seed);
          ASSERT_GE(v, 0.0);
          ASSERT_LT(v, 1.0);
          ++hits[static_cast<size_t>(v * (1u << m))];
        }
        for (int h : hits) ASSERT_EQ(h, 1) << "dimension " << d << ", 2^" << m << ", seed " << seed;
      }
}

// The first two dimensions form a (0, m, 2)-net: each elementary box of area
// 2^-m holds one of the first 2^m points.
TEST(Sobol, TheFirstTwoDimensionsAreANet) {
  const int m = 6;
  for (uint64_t seed : {1ull, 99ull})
    for (int k = 0; k <= m; ++k) {
      std::set<std::pair<int, int>> boxes;
      for (uint32_t i = 0; i < (1u << m); ++i) {
        int bx = static_cast<int>(scrambled_sobol(i, 0, seed) * (1 << k));
        int by = static_cast<int>(scrambled_sobol(i, 1, seed) * (1 << (m - k)));
        boxes.insert({bx, by});
      }
      EXPECT_EQ(boxes.size(), 1u << m) << "boxes 2^-" << k << " by 2^-" << (m - k);
    }
}

// Every pair of the dimensions with a generator matrix is a (t, 12, 2)-net
// with t at most 3: each elementary box of area 2^(t - 12) holds 2^t of the
// first 4,096 points. A polynomial that is not primitive, or a direction
// number that is even, breaks this for its dimension (t 9 and more).
int net_quality(int a, int b, int m) {
  for (int t = 0; t <= m; ++t) {
    bool holds = true;
    for (int kx = 0; kx <= m - t && holds; ++kx) {
      const int ky = m - t - kx;
      std::vector<int> count(1u << (m - t), 0);
      for (uint32_t i = 0; i < (1u << m); ++i) {
        uint32_t x = kx == 0 ? 0 : sobol_bits(i, a) >> (32 - kx);
        uint32_t y = ky == 0 ? 0 : sobol_bits(i, b) >> (32 - ky);
        ++count[(x << ky) | y];
      }
      for (int c : count) holds = holds && c == (1 << t);
    }
    if (holds) return t;
  }
  return m;
}

TEST(Sobol, EveryPairOfDimensionsIsAGoodNet) {
  for (int a = 0; a < kSobolDimensions; ++a)
    for (int b = a + 1; b < kSobolDimensions; ++b)
      EXPECT_LE(net_quality(a, b, 12), 3) << "dimensions " << a << " and " << b;
}

// A point's bits come from one table per byte of its index: every aligned
// run of 2^m points is stratified, whichever bytes its indices use (the
// photons' indices run to millions), and hashing the scramble once per loop
// gives the same values.
TEST(Sobol, EveryByteOfTheIndexGivesOneSequence) {
  const int m = 10;
  const uint64_t seed = 2024;
  for (uint32_t start : {0u, 5u << 20, (3u << 24) | (7u << 16) | (1u << 10), 0xfffffc00u})
    for (int d = 0; d < kSobolDimensions; ++d) {
      std::vector<int> hits(1u << m, 0);
      uint32_t scramble = sobol_scramble(seed, d);
      for (uint32_t k = 0; k < (1u << m); ++k) {
        const uint32_t i = start + k;
        double v = scrambled_sobol(i, d, seed);
        ASSERT_EQ(v, scrambled_sobol_point(i, d, scramble)) << "dimension " << d << ", point " << i;
        ++hits[static_cast<size_t>(v * (1u << m))];
      }
      for (int h : hits) ASSERT_EQ(h, 1) << "dimension " << d << ", points from " << start;
    }
}

// Scrambling keeps the sequence's nesting: two points whose plain bits agree
// to the k-th and part at the next (sobol_bits, worked out bit by bit from
// the generator matrix) agree to the k-th bit scrambled and part at the next.
// It ties the scrambled points, from their byte tables, to the matrices for
// indices across all four bytes.
TEST(Sobol, ScramblingKeepsEveryIndexsPlainNesting) {
  uint64_t state = 12345;
  auto next_index = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 32);
  };
  for (int d = 0; d < kSobolDimensions; ++d) {
    const uint32_t scramble = sobol_scramble(77, d);
    for (int n = 0; n < 2000; ++n) {
      const uint32_t i = next_index(), j = next_index();
      const uint32_t plain = sobol_bits(i, d) ^ sobol_bits(j, d);
      const uint32_t scrambled =
          static_cast<uint32_t>(scrambled_sobol_point(i, d, scramble) * 4294967296.0) ^
          static_cast<uint32_t>(scrambled_sobol_point(j, d, scramble) * 4294967296.0);
      if (plain == 0) continue;
      ASSERT_EQ(__builtin_clz(scrambled), __builtin_clz(plain))
          << "dimension " << d << ", points " << i << " and " << j;
    }
  }
}

TEST(Sobol, SeedsDecorrelateAndRepeat) {
  EXPECT_EQ(scrambled_sobol(5, 1, 42), scrambled_sobol(5, 1, 42));
  EXPECT_NE(scrambled_sobol(5, 1, 42), scrambled_sobol(5, 1, 43));
  EXPECT_NE(scrambled_sobol(5, 0, 42), scrambled_sobol(5, 1, 42));
  double mean = 0;
  for (uint64_t seed = 0; seed < 4000; ++seed) mean += scrambled_sobol(0, 2, seed);
  EXPECT_NEAR(mean / 4000, 0.5, 0.02); // the first point is uniform over seeds
}

class SampleProtocol : public ::testing::Test {
protected:
  void SetUp() override {
    scene = test::make_scene(R"({"objects": [{"shape": "sphere"}]})");
    state = &test::probe(*scene, {0, 0, 5}, {0, 0, -1});
  }
  std::unique_ptr<test::TestScene> scene;
  RenderState *state = nullptr;
};

TEST_F(SampleProtocol, CounterRunsUpToTheBudget) {
  double v[3];
  int count = 0, budget = 8;
  std::vector<std::array<double, 3>> seen;
  while (mi_sample(v, &count, &state->host, 3, &budget)) {
    seen.push_back({v[0], v[1], v[2]});
    ASSERT_EQ(count, static_cast<int>(seen.size())); // advanced once per sample
    ASSERT_LE(count, 8);
  }
  EXPECT_EQ(count, 8);
  EXPECT_EQ(budget, 8); // the budget is left as given
  // Eight samples stratify each dimension into eighths.
  for (int d = 0; d < 3; ++d) {
    std::set<int> cells;
    for (auto &s : seen) cells.insert(static_cast<int>(s[d] * 8));
    EXPECT_EQ(cells.size(), 8u) << "dimension " << d;
  }
  // A finished loop stays finished.
  EXPECT_EQ(mi_sample(v, &count, &state->host, 3, &budget), 0);
  EXPECT_EQ(count, 8);
}

TEST_F(SampleProtocol, EachLoopIsFreshAndSmallBudgetsGiveOneSample) {
  double a[2], b[2];
  int count = 0, budget = 1;
  ASSERT_EQ(mi_sample(a, &count, &state->host, 2, &budget), 1);
  EXPECT_EQ(mi_sample(a, &count, &state->host, 2, &budget), 0);
  count = 0;
  ASSERT_EQ(mi_sample(b, &count, &state->host, 2, &budget), 1);
  EXPECT_NE(a[0], b[0]); // a new loop is scrambled afresh
  for (int weird : {0, -3}) {
    count = 0, budget = weird;
    EXPECT_EQ(mi_sample(a, &count, &state->host, 1, &budget), 1) << weird;
    EXPECT_EQ(mi_sample(a, &count, &state->host, 1, &budget), 0) << weird;
    EXPECT_EQ(count, 1);
  }
}

TEST_F(SampleProtocol, WithoutCounterOneIndependentSampleEachCall) {
  double a[2] = {-1, -1}, b[2] = {-1, -1};
  EXPECT_EQ(mi_sample(a, nullptr, &state->host, 2, nullptr), 1);
  EXPECT_EQ(mi_sample(b, nullptr, &state->host, 2, nullptr), 1);
  for (int d = 0; d < 2; ++d) {
    EXPECT_GE(a[d], 0);
    EXPECT_LT(a[d], 1);
  }
  EXPECT_NE(a[0], b[0]);
}

TEST_F(SampleProtocol, DrawsDependOnThePathNotOnHistoryElsewhere) {
  RenderState copy = *state;
  double x = draw_uniform(state->path), y = draw_uniform(copy.path);
  EXPECT_EQ(x, y);
  EXPECT_NE(draw_uniform(state->path), x);
}

} // namespace
} // namespace vr
