// Which side of the glass a ray arrives on, the index on each side, and the
// volume handed to the refracted ray.
#include <gtest/gtest.h>

#include "optics/optics.h"

namespace {

struct Chain {
  HostShader glass{}, other{};
  HostCamera camera{42};
  HostState states[6]{};

  // states[i]'s parent is states[i - 1]; all run the glass shader.
  Chain() {
    for (int i = 0; i < 6; ++i) {
      states[i].shader = &glass;
      states[i].camera = &camera;
      states[i].parent = i > 0 ? &states[i - 1] : nullptr;
      states[i].volume = 100 + i;
    }
  }
};

TEST(RefractionIndices, FrontSideHitEntersAndKeepsItsVolume) {
  Chain c;
  HostState &s = c.states[0];
  float in = -1, out = -1;
  EXPECT_EQ(glass::set_refraction_indices(&s, 1.5f, 1.33f, &in, &out), 1);
  EXPECT_EQ(in, 1.33f);
  EXPECT_EQ(out, 1.5f);
  EXPECT_EQ(s.ior_in, 1.33f);
  EXPECT_EQ(s.ior_out, 1.5f);
  EXPECT_EQ(s.refraction_volume, 100u);

  // A volume the host already named for the refracted ray stays.
  s.refraction_volume = 7;
  glass::set_refraction_indices(&s, 1.5f, 1.0f, &in, &out);
  EXPECT_EQ(s.refraction_volume, 7u);
}

TEST(RefractionIndices, LeavingHandsOnTheVolumeWhereTheRayEntered) {
  Chain c;
  c.states[1].ray_type = VITREL_RAY_REFRACT; // entered at states[0]
  c.states[2].ray_type = VITREL_RAY_REFLECT; // a reflection inside the glass
  HostState &s = c.states[2];
  s.inverted_normal = 1;
  s.refraction_volume = 55; // replaced when leaving, whatever it held
  float in = 0, out = 0;
  EXPECT_EQ(glass::set_refraction_indices(&s, 1.5f, 1.2f, &in, &out), 0);
  EXPECT_EQ(in, 1.5f);
  EXPECT_EQ(out, 1.2f);
  EXPECT_EQ(s.ior_in, 1.5f);
  EXPECT_EQ(s.ior_out, 1.2f);
  EXPECT_EQ(s.refraction_volume, 100u);
}

TEST(RefractionIndices, TheOwnRayTypeIsExaminedFirst) {
  Chain c;
  c.states[1].ray_type = VITREL_RAY_REFRACT;
  c.states[3].ray_type = VITREL_RAY_REFRACT;
  c.states[3].inverted_normal = 1;
  float in, out;
  glass::set_refraction_indices(&c.states[3], 1.5f, 1.0f, &in, &out);
  EXPECT_EQ(c.states[3].refraction_volume, 102u); // its own parent, not states[0]
}

TEST(RefractionIndices, NearestOfTwoQualifyingAncestorsWins) {
  Chain c;
  c.states[1].ray_type = VITREL_RAY_PHOTON_TRANSMIT_SPECULAR;
  c.states[3].ray_type = VITREL_RAY_PHOTON_TRANSPARENT;
  c.states[5].inverted_normal = 1;
  float in, out;
  glass::set_refraction_indices(&c.states[5], 1.5f, 1.0f, &in, &out);
  EXPECT_EQ(c.states[5].refraction_volume, 102u);
}

TEST(RefractionIndices, EveryPassThroughTypeQualifies) {
  for (int type : {1, 3, 13, 14, 15, 19}) {
    Chain c;
    c.states[2].ray_type = type;
    c.states[3].inverted_normal = 1;
    float in, out;
    glass::set_refraction_indices(&c.states[3], 1.5f, 1.0f, &in, &out);
    EXPECT_EQ(c.states[3].refraction_volume, 101u) << "ray type " << type;
  }
  for (int type : {0, 2, 4, 8, 9, 10, 12, 16, 18, 20}) {
    Chain c;
    c.states[2].ray_type = type;
    c.states[3].inverted_normal = 1;
    float in, out;
    glass::set_refraction_indices(&c.states[3], 1.5f, 1.0f, &in, &out);
    EXPECT_EQ(c.states[3].refraction_volume, 42u) << "ray type " << type;
  }
}

TEST(RefractionIndices, WithoutEntryTheCameraVolumeIsHandedOn) {
  Chain c;
  // The root never matches, whatever its type: it has no parent.
  c.states[0].ray_type = VITREL_RAY_REFRACT;
  c.states[0].inverted_normal = 1;
  float in, out;
  glass::set_refraction_indices(&c.states[0], 1.5f, 1.0f, &in, &out);
  EXPECT_EQ(c.states[0].refraction_volume, 42u);

  // A parent running another shader record never matches, even an identical one.
  c.states[2].ray_type = VITREL_RAY_REFRACT;
  c.states[1].shader = &c.other;
  c.states[2].inverted_normal = 1;
  glass::set_refraction_indices(&c.states[2], 1.5f, 1.0f, &in, &out);
  EXPECT_EQ(c.states[2].refraction_volume, 42u);
}

TEST(RefractionIndices, OnlyTheByteZeroEnters) {
  Chain c;
  float in, out;
  c.states[0].inverted_normal = 2;
  EXPECT_EQ(glass::set_refraction_indices(&c.states[0], 1.5f, 1.0f, &in, &out), 0);
  c.states[0].inverted_normal = 0;
  EXPECT_EQ(glass::set_refraction_indices(&c.states[0], 1.5f, 1.0f, &in, &out), 1);
}

TEST(RefractionIndices, StateWithoutCameraLeavesIntoNoVolume) {
  Chain c;
  c.states[0].camera = nullptr;
  c.states[0].inverted_normal = 1;
  c.states[0].refraction_volume = 9;
  float in, out;
  EXPECT_EQ(glass::set_refraction_indices(&c.states[0], 1.5f, 1.0f, &in, &out), 0);
  EXPECT_EQ(c.states[0].refraction_volume, 0u);
}

} // namespace
