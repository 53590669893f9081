// The exact caustic of a ball lens under a point light on its axis, worked
// out apart from the renderer: a glass sphere above a grey floor is
// rotationally symmetric about the vertical through the light, so a fan of
// rays in one plane, each standing for the cone of directions around the
// axis that it sweeps and carrying that cone's flux, split at every
// interface into Fresnel reflection and refraction (and absorbed inside by
// Beer-Lambert), lands on the floor in rings whose flux is exact. Spread
// around their rings and projected into a pinhole camera's pixels, they give
// each pixel's integral of the caustic's reflected radiance.
#ifndef VITREL_RENDER_TESTS_BALL_LENS_REFERENCE_H
#define VITREL_RENDER_TESTS_BALL_LENS_REFERENCE_H

#include <string>
#include <vector>

namespace ball_lens {

struct Setup {
  double light_height = 4; // the point light, on the axis x = z = 0
  double intensity = 100;  // its radiant intensity, each channel
  double centre = 1.5;     // of the sphere, above the floor y = 0
  double radius = 1;
  double ior = 1.5;
  double inside_color[3] = {1, 1, 1}; // absorbing glass: colour^(density * path length)
  double inside_density = 0;
  double albedo = 0.5; // the floor's grey
  // The camera: a pinhole above the floor beside the ball, looking at the
  // floor under it.
  double eye[3] = {0, 1.8, 3.4}, target[3] = {0, 0, 0};
  double fov = 11; // vertical, degrees
  int width = 256, height = 256;
  int photon_depth = 10; // scattering events a photon may have, as the renderer's option
};

// The scene as the renderer reads it: `photons` per pass, `passes`, `samples`
// per pixel, no gather, a black world.
std::string scene_json(const Setup &s, long long photons, int passes, int samples);

// Where a cone's light lands on the floor: the ring's radius and its flux.
struct Ring {
  double radius;
  double flux[3];
};

// The rings of `cones` cones between the axis and the sphere's rim as the
// light sees it, narrower toward the rim, one ray each through the middle of
// its cone's solid angle, and every branch of its Fresnel splits that
// reaches the floor after at most photon_depth scattering events.
std::vector<Ring> trace_fan(const Setup &s, int cones);

// The total flux of the rings, each channel.
void total_flux(const std::vector<Ring> &rings, double out[3]);

// The flux landing in the annulus r0 <= r < r1, each channel.
void annulus_flux(const std::vector<Ring> &rings, double r0, double r1, double out[3]);

// Each pixel's integral of the caustic's radiance (albedo / pi times the
// caustic irradiance) over the pixel, r g b per pixel, row 0 at the top:
// each ring spread evenly over `azimuths` points, each point's share of flux
// weighted by the image-plane area per floor area there and spread over a
// square a tenth of a pixel wide, so that no pixel boundary aliases the
// points. Points the sphere hides from the eye add nothing.
std::vector<double> pixel_integrals(const Setup &s, const std::vector<Ring> &rings, int azimuths);

// Whether pixel (x, y) sees the open floor all over: its corners and centre
// look down at the floor without meeting the sphere.
bool sees_floor(const Setup &s, int x, int y);

// The irradiance of the open floor at (x, 0, z) without the sphere.
double open_irradiance(const Setup &s, double x, double z);

// The floor point seen through the centre of pixel (x, y); false above the
// horizon.
bool pixel_floor_point(const Setup &s, int x, int y, double *fx, double *fz);

} // namespace ball_lens

#endif
