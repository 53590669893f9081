// Where absorb_color has a second, AVX2 form of its law besides the SSE2 one
// every x86-64 processor runs: GCC's ELF builds for x86-64, which compile a
// function for AVX2 on request and pick it at run time by asking the processor.
#ifndef VITREL_OPTICS_ABSORB_VARIANTS_H
#define VITREL_OPTICS_ABSORB_VARIANTS_H

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__ELF__)
#define VITREL_ABSORB_AVX2 1
#else
#define VITREL_ABSORB_AVX2 0
#endif

#endif
