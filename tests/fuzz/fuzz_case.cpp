#include "fuzz/fuzz_case.h"

#include <cstddef>
#include <cstring>

namespace fuzz {

namespace {

// How the shader record reports connections.
enum Interface : uint8_t {
  kNoConnections,  // interface_offset 0
  kFlagsAfter,     // the flags lie after the record and its lights
  kFlagsBefore,    // the flags lie before the record
  kNoShaderRecord, // the state has no shader record at all
  kInterfaces
};

void read_field(Bytes &in, float *v, bool *nonfinite) { *v = in.scalar(nonfinite); }
void read_field(Bytes &in, int32_t *v, bool *) { *v = in.integer(); }
void read_field(Bytes &in, Colour *v, bool *nonfinite) { *v = in.colour(nonfinite); }
void read_field(Bytes &in, Vector *v, bool *nonfinite) { *v = in.vector(nonfinite); }

void write_field(Writer &out, float v) { out.scalar(v); }
void write_field(Writer &out, int32_t v) { out.integer(v); }
void write_field(Writer &out, Colour v) { out.colour(v); }
void write_field(Writer &out, Vector v) { out.vector(v); }

// Field offsets in declaration order, `lights` last: bit i of the connection
// mask connects field i.
constexpr int kEvalPoolWords = 64;
constexpr int kReadLightTags = 4;

constexpr size_t kFieldOffsets[] = {
#define FUZZ_FIELD_OFFSET(type, name) offsetof(GlassParams, name),
    VITREL_GLASS_PARAMS(FUZZ_FIELD_OFFSET)
#undef FUZZ_FIELD_OFFSET
        offsetof(GlassParams, lights)};

// A ray type: the known range most of the time, any integer sometimes.
int32_t read_ray_type(Bytes &in) {
  const uint8_t b = in.byte();
  return b < 224 ? b % 32 : in.integer();
}

// The array fields describe the host's own memory: a renderer fills
// light_index and light_count from the array it laid out and never connects
// them. The fuzzer keeps them inside what it laid out (a negative count stays,
// as a list of no lights), so every read of the module stays in bounds unless
// the module itself strays.
void fit_light_range(GlassParams *p, int lights) {
  if (p->light_index < 0 || p->light_index > lights)
    p->light_index = static_cast<int32_t>(static_cast<uint32_t>(p->light_index) %
                                          static_cast<uint32_t>(lights + 1));
  if (p->light_count > lights - p->light_index) p->light_count = lights - p->light_index;
}

GlassParams *read_params(Bytes &in, GuardedArena &arena, HostShader *shader, bool *nonfinite) {
  const int extra_lights = in.byte() % kMaxLights;
  const auto interface = static_cast<Interface>(in.byte() % kInterfaces);
  const size_t record_bytes = sizeof(GlassParams) + sizeof(Tag) * extra_lights;

  unsigned char *flags = nullptr;
  if (interface == kFlagsBefore) flags = static_cast<unsigned char *>(arena.take(record_bytes, 16));
  auto *p = static_cast<GlassParams *>(arena.take(record_bytes, 16));
  if (interface == kFlagsAfter) flags = static_cast<unsigned char *>(arena.take(record_bytes, 16));

#define FUZZ_READ_FIELD(type, name) read_field(in, &p->name, nonfinite);
  VITREL_GLASS_PARAMS(FUZZ_READ_FIELD)
#undef FUZZ_READ_FIELD
  for (int i = 0; i <= extra_lights; ++i) p->lights[i] = in.u32();
  fit_light_range(p, extra_lights + 1);

  shader->interface_offset = 0;
  const uint64_t connected = in.u64();
  int32_t flag = in.integer();
  if (flag == 0) flag = 1;
  if (flags != nullptr) {
    shader->interface_offset = static_cast<int32_t>(flags - reinterpret_cast<unsigned char *>(p));
    for (size_t i = 0; i < std::size(kFieldOffsets); ++i) {
      const size_t at = kFieldOffsets[i];
      if (at == offsetof(GlassParams, light_index) || at == offsetof(GlassParams, light_count))
        continue;
      if ((connected >> i) & 1) std::memcpy(flags + at, &flag, sizeof flag);
    }
  }
  return p;
}

} // namespace

FuzzCase read_case(Bytes &in, GuardedArena &arena, int handle_choices) {
  FuzzCase c;
  c.handle_choice = in.byte() % handle_choices;

  auto *shader = arena.take<HostShader>();
  auto *other_shader = arena.take<HostShader>();
  c.params = read_params(in, arena, shader, &c.nonfinite);
  const uint8_t records = in.byte();
  other_shader->interface_offset = in.integer();

  HostState &s = c.state;
  s.shader = (records & 1) ? nullptr : shader;
  if (records & 2) {
    s.camera = arena.take<HostCamera>();
    s.camera->camera_volume = in.u32();
  }
  if (records & 4) {
    s.options = arena.take<HostOptions>();
    s.options->reflection_depth_limit = in.integer();
    s.options->refraction_depth_limit = in.integer();
  }
  s.ray_type = read_ray_type(in);
  s.inverted_normal = in.byte();
  s.reflection_level = in.integer();
  s.refraction_level = in.integer();
  s.direction = in.vector(&c.nonfinite);
  s.normal = in.vector(&c.nonfinite);
  s.dot_nd = in.scalar(&c.nonfinite);
  s.ior_in = in.scalar(&c.nonfinite);
  s.ior_out = in.scalar(&c.nonfinite);
  s.volume = in.u32();
  s.refraction_volume = in.u32();
  s.hit_distance = in.wide(&c.nonfinite);

  // The ancestors, nearest first, each running this shader, another one or
  // none.
  const int ancestors = in.byte() % (kMaxAncestors + 1);
  HostState **link = &s.parent;
  for (int i = 0; i < ancestors; ++i) {
    auto *a = arena.take<HostState>();
    a->ray_type = read_ray_type(in);
    const uint8_t which = in.byte();
    a->shader = which % 3 == 0 ? shader : which % 3 == 1 ? other_shader : nullptr;
    a->volume = in.u32();
    a->inverted_normal = in.byte();
    a->camera = s.camera;
    a->options = s.options;
    *link = a;
    link = &a->parent;
  }

  // A child's distance, the evaluated values and the starting result only
  // count as handed over once the shader can read them: the host marks them.
  bool later = false;
  for (auto &child : c.children) {
    child = arena.take<HostState>();
    child->parent = nullptr;
    child->hit_distance = in.wide(&later);
  }
  auto *pool = static_cast<unsigned char *>(arena.take(kEvalPoolBytes, 16));
  for (int i = 0; i < kEvalPoolWords; ++i) {
    const float v = in.scalar(&later);
    std::memcpy(pool + 4 * i, &v, sizeof v);
  }
  c.eval_pool = pool;
  c.light_pool = static_cast<Tag *>(arena.take(sizeof(Tag) * kMaxLights, 16));
  for (int i = 0; i < kMaxLights; ++i) c.light_pool[i] = i < kReadLightTags ? in.u32() : 0x100u + i;

  c.result = in.colour(&later);
  c.energy = in.colour(&c.energy_nonfinite);
  c.falloff_start = in.wide(&later);
  c.falloff_stop = in.wide(&later);
  return c;
}

void write_case(Writer &out, const GlassParams &params, const HostState &state,
                const int *parent_types, int parents, double child_distance, Colour energy) {
  out.byte(0); // the program's own operations
  out.byte(0); // no further lights
  out.byte(kNoConnections);
#define FUZZ_WRITE_FIELD(type, name) write_field(out, params.name);
  VITREL_GLASS_PARAMS(FUZZ_WRITE_FIELD)
#undef FUZZ_WRITE_FIELD
  out.u32(params.lights[0]);
  out.u64(0);      // nothing connected
  out.integer(1);  // the flag a connection would carry
  out.byte(2 | 4); // shader, camera and options records
  out.integer(0);  // the other shader's interface_offset
  out.u32(0);      // camera_volume
  out.integer(state.options != nullptr ? state.options->reflection_depth_limit : 8);
  out.integer(state.options != nullptr ? state.options->refraction_depth_limit : 8);
  out.byte(224);
  out.integer(state.ray_type);
  out.byte(state.inverted_normal);
  out.integer(state.reflection_level);
  out.integer(state.refraction_level);
  out.vector(state.direction);
  out.vector(state.normal);
  out.scalar(state.dot_nd);
  out.scalar(state.ior_in);
  out.scalar(state.ior_out);
  out.u32(state.volume);
  out.u32(state.refraction_volume);
  out.wide(state.hit_distance);
  out.byte(static_cast<uint8_t>(parents));
  for (int i = 0; i < parents; ++i) {
    out.byte(224);
    out.integer(parent_types[i]);
    out.byte(0); // the same shader
    out.u32(7u + i);
    out.byte(0);
  }
  for (int i = 0; i < kChildren; ++i) out.wide(child_distance);
  for (int i = 0; i < kEvalPoolWords; ++i) out.byte(2); // every evaluated word 1.0
  for (int i = 0; i < kReadLightTags; ++i) out.u32(0x200u + i);
  out.colour({0.25f, 0.5f, 0.75f, 0.5f}); // the result before the call
  out.colour(energy);
  out.wide(10.0); // the host's own falloff
  out.wide(20.0);
}

} // namespace fuzz
