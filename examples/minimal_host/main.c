/* The smallest complete host for the vitrel glass shaders: one camera ray on a
 * clear glass sphere in front of a constant environment.
 *
 * A renderer that wants the glass does what this program does:
 *   1. export the 25 operations of <vitrel/host/ops.h> from its own executable, by
 *      those names (here: the functions below, linked with ENABLE_EXPORTS);
 *   2. open the module and hand it the renderer's own module handle, in which
 *      the module looks every operation up by name on first use;
 *   3. call each shader's version and init once, the shader once per hit, and
 *      exit once at the end;
 *   4. keep HostState as the first member of its own per-ray record, and lay
 *      the parameters out as GlassParams.
 * The operations this one ray needs do real work; the others (lights, photons,
 * sampling) give the answers of a scene without them, which the shaders treat
 * as "nothing there".
 *
 * Usage: minimal_host [MODULE]   (default: the installed module)
 * Prints the colour and alpha the glass returns for the ray. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <vitrel/vitrel.h>

#ifdef _WIN32
#include <windows.h>
#define HOST_OPERATION __declspec(dllexport)
static void *open_module(const char *path) { return (void *)LoadLibraryA(path); }
static void *own_module(void) { return (void *)GetModuleHandleA(NULL); }
static void *find_export(void *module, const char *name) {
  return (void *)GetProcAddress((HMODULE)module, name);
}
#else
#include <dlfcn.h>
#define HOST_OPERATION
static void *open_module(const char *path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void *own_module(void) { return dlopen(NULL, RTLD_NOW); }
static void *find_export(void *module, const char *name) { return dlsym(module, name); }
#endif

#ifndef VITREL_MODULE_PATH
#define VITREL_MODULE_PATH "vitrel.so"
#endif

enum { MAX_DEPTH = 32 };

/* ---- The scene: a unit sphere of clear glass in a uniform environment. ---- */

static const Colour kEnvironment = {0.25f, 0.5f, 0.75f, 1.0f};
static const double kSphereRadius = 1.0; /* centred at the origin */

/* The shader's parameters, the "clear" preset; `lights` is empty. Both rays
 * are followed at every depth (split_depth above the depth limits), so the
 * answer needs no random choice. */
static GlassParams glass = {
    .inside_color = {1, 1, 1, 1},
    .outside_color = {1, 1, 1, 1},
    .ior = 1.5f,
    .outside_ior = 1.0f,
    .inside_density = 1.0f,
    .outside_density = 1.0f,
    .specular = 0.1f,
    .specular_exponent = 80.0f,
    .split_depth = 1000,
    .front_color = {0.8f, 0.8f, 0.8f, 1},
    .back_color = {0.8f, 0.8f, 0.8f, 1},
    .illuminate = 1,
    .irradiance_color = {1, 1, 1, 1},
    .blur_depth = 1,
    .spectrum_weight = 1.0f,
    .photon_diffuse_color = {1, 1, 1, 1},
    .photon_specular_color = {1, 1, 1, 1},
    .photon_ior = 1.5f,
    .photon_outside_ior = 1.0f,
    .invert_alpha = 1,
    .single_path_mode = 1,
    .light_mode = 2, /* the object's lights, less an empty list: the host has none */
};

/* interface_offset 0: no parameter is connected, every field is read in place. */
static HostShader shader_record = {0};
static HostCamera camera_record = {0};
static HostOptions options_record = {.reflection_depth_limit = 12, .refraction_depth_limit = 12};

/* ---- The host's per-ray record: HostState first, then the host's own. ---- */

typedef struct {
  HostState host;
  double point[3]; /* where this ray hit the sphere */
  double falloff_start, falloff_stop;
} RayState;

/* One record per depth: a trace overwrites the slot below its parent, which
 * the shader reads only until its next trace from the same parent. */
static RayState slots[MAX_DEPTH + 1];

static RayState *ray_state(HostState *s) { return (RayState *)s; }

static VitrelShaderFunction *shade_glass;

static double dot3(const double a[3], const double b[3]) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

/* Distance along the unit direction `dir` from `origin` to the sphere, or -1.
 * Rays start on the surface, so hits closer than a small epsilon are skipped. */
static double hit_sphere(const double origin[3], const double dir[3]) {
  const double b = dot3(origin, dir), c = dot3(origin, origin) - kSphereRadius * kSphereRadius;
  const double disc = b * b - c;
  if (disc < 0) return -1;
  const double root = sqrt(disc), eps = 1e-6;
  if (-b - root > eps) return -b - root;
  if (-b + root > eps) return -b + root;
  return -1;
}

/* Fills the state of a ray that hit the sphere: the fields the shaders read. */
static void set_hit(RayState *r, const double origin[3], const double dir[3], double t) {
  HostState *s = &r->host;
  double n[3];
  for (int i = 0; i < 3; ++i) r->point[i] = origin[i] + t * dir[i];
  const double len = sqrt(dot3(r->point, r->point));
  for (int i = 0; i < 3; ++i) n[i] = r->point[i] / len;
  /* The normal faces the incoming ray; a hit from inside is on the back side. */
  const double d_n = dot3(dir, n);
  s->inverted_normal = d_n > 0;
  const double sign = d_n > 0 ? -1.0 : 1.0;
  s->hit_distance = t;
  s->direction = (Vector){(float)dir[0], (float)dir[1], (float)dir[2]};
  s->normal = (Vector){(float)(sign * n[0]), (float)(sign * n[1]), (float)(sign * n[2])};
  s->dot_nd = (float)(sign * d_n);
  s->shader = &shader_record;
  s->camera = &camera_record;
  s->options = &options_record;
  r->falloff_start = r->falloff_stop = INFINITY;
}

/* Traces a secondary ray from a hit: shades the sphere if the ray meets it
 * again, else (or when the shader declines, at the depth limits) returns the
 * environment. Answers whether something was hit and shaded. */
static int trace(Colour *out, HostState *state, const Vector *dir, int ray_type) {
  RayState *parent = ray_state(state);
  /* Directions arrive in single precision: renormalised, so that the hit
   * stays on the sphere through many bounces inside it. */
  double d[3] = {dir->x, dir->y, dir->z};
  const double len = sqrt(dot3(d, d));
  for (int i = 0; i < 3; ++i) d[i] /= len;
  const double t = hit_sphere(parent->point, d);
  const int depth = (int)(parent - slots) + 1;
  if (t > 0 && depth <= MAX_DEPTH) {
    RayState *child = &slots[depth];
    HostState *c = &child->host;
    *c = (HostState){0};
    c->ray_type = ray_type;
    c->parent = state;
    c->reflection_level = state->reflection_level + (ray_type == VITREL_RAY_REFLECT);
    c->refraction_level = state->refraction_level + (ray_type == VITREL_RAY_REFRACT);
    c->volume = ray_type == VITREL_RAY_REFRACT ? state->refraction_volume : state->volume;
    set_hit(child, parent->point, d, t);
    state->child = c;
    if (shade_glass(out, c, &glass)) return 1;
  }
  *out = kEnvironment;
  return 0;
}

/* ---- The 25 host operations. ---- */

HOST_OPERATION int mi_trace_reflection(Colour *out, HostState *state, Vector *dir) {
  return trace(out, state, dir, VITREL_RAY_REFLECT);
}

HOST_OPERATION int mi_trace_refraction(Colour *out, HostState *state, Vector *dir) {
  return trace(out, state, dir, VITREL_RAY_REFRACT);
}

HOST_OPERATION int mi_trace_environment(Colour *out, HostState *state, Vector *dir) {
  (void)state, (void)dir;
  *out = kEnvironment;
  return 1;
}

HOST_OPERATION void mi_reflection_dir(Vector *out, HostState *state) {
  const Vector d = state->direction, n = state->normal;
  const float k = 2.0f * (d.x * n.x + d.y * n.y + d.z * n.z);
  *out = (Vector){d.x - k * n.x, d.y - k * n.y, d.z - k * n.z};
}

/* Snell's law; false on total internal reflection. */
HOST_OPERATION int mi_refraction_dir(Vector *out, HostState *state, float ior_in, float ior_out) {
  const Vector d = state->direction, n = state->normal;
  const double eta = (double)ior_in / ior_out, cos_i = -(d.x * n.x + d.y * n.y + d.z * n.z);
  const double k = 1.0 - eta * eta * (1.0 - cos_i * cos_i);
  if (k < 0) return 0;
  const double b = eta * cos_i - sqrt(k);
  *out = (Vector){(float)(eta * d.x + b * n.x), (float)(eta * d.y + b * n.y),
                  (float)(eta * d.z + b * n.z)};
  return 1;
}

/* Unpolarised Fresnel reflectance of a dielectric boundary. */
HOST_OPERATION float mi_fresnel_reflection(HostState *state, float ior_in, float ior_out) {
  const double cos_i = fabs(state->dot_nd), eta = (double)ior_in / ior_out;
  const double sin2_t = eta * eta * (1.0 - cos_i * cos_i);
  if (sin2_t >= 1.0) return 1.0f;
  const double cos_t = sqrt(1.0 - sin2_t);
  const double rs = (ior_in * cos_i - ior_out * cos_t) / (ior_in * cos_i + ior_out * cos_t);
  const double rp = (ior_out * cos_i - ior_in * cos_t) / (ior_out * cos_i + ior_in * cos_t);
  return (float)(0.5 * (rs * rs + rp * rp));
}

/* Irradiance / pi: a convex object in a uniform environment sees only it. */
HOST_OPERATION int mi_compute_irradiance(Colour *out, HostState *state) {
  (void)state;
  *out = kEnvironment;
  return 1;
}

/* Swaps the falloff pair, so that a second call restores the first. */
HOST_OPERATION int mi_ray_falloff(HostState *state, double *start, double *stop) {
  RayState *r = ray_state(state);
  const double s = r->falloff_start, e = r->falloff_stop;
  r->falloff_start = *start, r->falloff_stop = *stop;
  *start = s, *stop = e;
  return 1;
}

/* Query 142 asks whether the renderer follows single paths: it does not. */
HOST_OPERATION int mi_query(int code, HostState *state, Tag tag, void *result, ...) {
  (void)state, (void)tag;
  if (code != VITREL_QUERY_SINGLE_PATH || result == NULL) return 0;
  *(int *)result = 0;
  return 1;
}

/* No parameter is connected to another shader: the value is the field itself. */
HOST_OPERATION void *mi_phen_eval(HostState *state, void *field) {
  (void)state;
  return field;
}

/* The scene has no lights: every light list is empty, no sample is delivered. */
HOST_OPERATION int mi_inclusive_lightlist(int *n, Tag **list, HostState *state) {
  (void)list, (void)state;
  *n = 0;
  return 1;
}

HOST_OPERATION int mi_exclusive_lightlist(int *n, Tag **list, HostState *state) {
  (void)list, (void)state;
  *n = 0;
  return 1;
}

HOST_OPERATION int mi_sample_light(Colour *out, Vector *dir, float *dot_nl, HostState *state,
                                   Tag light, int *count) {
  (void)out, (void)dir, (void)dot_nl, (void)state, (void)light, (void)count;
  return 0;
}

HOST_OPERATION float mi_phong_specular(float exponent, HostState *state, Vector *dir) {
  (void)exponent, (void)state, (void)dir;
  return 0.0f;
}

/* No sampler: blurred and dispersive lookups then trace their plain ray. */
HOST_OPERATION int mi_sample(double *values, int *count, HostState *state, int dimension, int *n) {
  (void)values, (void)count, (void)state, (void)dimension, (void)n;
  return 0;
}

/* Only reached past split_depth, which this host never reaches; a renderer
 * picks one of the colours with probability its average here. */
HOST_OPERATION int mi_choose_simple_scatter_type(HostState *state, Colour *diffuse_reflection,
                                                 Colour *specular_reflection,
                                                 Colour *diffuse_transmission,
                                                 Colour *specular_transmission) {
  (void)state, (void)diffuse_reflection, (void)specular_reflection, (void)diffuse_transmission,
      (void)specular_transmission;
  return VITREL_SCATTER_ABSORB;
}

/* No photons are traced: the photon operations store and continue nothing,
 * and the direction operations leave a photon unbent. */
HOST_OPERATION int mi_store_photon(Colour *energy, HostState *state) {
  (void)energy, (void)state;
  return 0;
}

static int no_photon(Colour *energy, HostState *state, Vector *dir) {
  (void)energy, (void)state, (void)dir;
  return 0;
}

HOST_OPERATION int mi_photon_reflection_specular(Colour *e, HostState *s, Vector *d) {
  return no_photon(e, s, d);
}
HOST_OPERATION int mi_photon_transmission_specular(Colour *e, HostState *s, Vector *d) {
  return no_photon(e, s, d);
}
HOST_OPERATION int mi_photon_reflection_diffuse(Colour *e, HostState *s, Vector *d) {
  return no_photon(e, s, d);
}
HOST_OPERATION int mi_photon_transmission_diffuse(Colour *e, HostState *s, Vector *d) {
  return no_photon(e, s, d);
}

HOST_OPERATION void mi_reflection_dir_specular(Vector *out, HostState *state) {
  *out = state->direction;
}
HOST_OPERATION void mi_reflection_dir_diffuse(Vector *out, HostState *state) {
  *out = state->direction;
}
HOST_OPERATION void mi_transmission_dir_diffuse(Vector *out, HostState *state) {
  *out = state->direction;
}
HOST_OPERATION int mi_transmission_dir_specular(Vector *out, HostState *state, float ior_in,
                                                float ior_out) {
  (void)ior_in, (void)ior_out;
  *out = state->direction;
  return 1;
}

/* ---- Loading the module and shading one ray. ---- */

static void *need(void *module, const char *name) {
  void *symbol = find_export(module, name);
  if (symbol == NULL) {
    fprintf(stderr, "minimal_host: the module does not export %s\n", name);
    exit(1);
  }
  return symbol;
}

int main(int argc, char **argv) {
  const char *path = argc > 1 ? argv[1] : VITREL_MODULE_PATH;
  void *module = open_module(path);
  if (module == NULL) {
    fprintf(stderr, "minimal_host: cannot open %s\n", path);
    return 1;
  }
  /* The loaders hand out addresses as object pointers; the platforms
   * guarantee they convert to the function pointers they are. */
  VitrelSetModuleHandleFunction *set_handle =
      (VitrelSetModuleHandleFunction *)need(module, "miSetModuleHandle");
  VitrelVersionFunction *version = (VitrelVersionFunction *)need(module, "vitrel_version");
  VitrelVersionFunction *photon_version =
      (VitrelVersionFunction *)need(module, "vitrel_photon_version");
  VitrelInitFunction *init = (VitrelInitFunction *)need(module, "vitrel_init");
  VitrelInitFunction *photon_init = (VitrelInitFunction *)need(module, "vitrel_photon_init");
  VitrelExitFunction *exit_shader = (VitrelExitFunction *)need(module, "vitrel_exit");
  VitrelExitFunction *photon_exit = (VitrelExitFunction *)need(module, "vitrel_photon_exit");
  shade_glass = (VitrelShaderFunction *)need(module, "vitrel");

  /* Before any shader call: the operations are looked up in this program. */
  set_handle(own_module());
  if (version() != VITREL_INTERFACE_VERSION || photon_version() != VITREL_INTERFACE_VERSION) {
    fprintf(stderr, "minimal_host: the module speaks another interface version\n");
    return 1;
  }

  /* The camera ray: from z = -4 towards the sphere, off centre so that it
   * bends, and far enough from the rim that it enters. */
  RayState *root = &slots[0];
  root->host = (HostState){.ray_type = VITREL_RAY_EYE};
  int instance_request = 1;
  init(&root->host, NULL, &instance_request);
  photon_init(&root->host, NULL, &instance_request);

  const double origin[3] = {0.0, 0.0, -4.0};
  double dir[3] = {0.35, 0.2, 4.0};
  const double len = sqrt(dot3(dir, dir));
  for (int i = 0; i < 3; ++i) dir[i] /= len;
  const double t = hit_sphere(origin, dir);
  if (t < 0) {
    fprintf(stderr, "minimal_host: the camera ray misses the sphere\n");
    return 1;
  }
  set_hit(root, origin, dir, t);
  Colour result = {0, 0, 0, 0};
  const int shaded = shade_glass(&result, &root->host, &glass);

  printf("environment %.6f %.6f %.6f\n", kEnvironment.r, kEnvironment.g, kEnvironment.b);
  printf("colour %.6f %.6f %.6f alpha %.6f (shaded: %d)\n", result.r, result.g, result.b, result.a,
         shaded);

  exit_shader(&root->host, NULL);
  photon_exit(&root->host, NULL);
  return shaded ? 0 : 1;
}
