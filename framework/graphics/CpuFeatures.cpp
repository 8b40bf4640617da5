#include "framework/graphics/CpuFeatures.h"

namespace Quill::CpuFeatures {

#if defined(__x86_64__) || defined(__i386__)
bool HasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}
bool HasAvx2() {
    // __builtin_cpu_supports also checks that the OS enabled the AVX state.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
bool HasAvx512Bw() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}
#else
bool HasSse2() { return false; }
bool HasAvx2() { return false; }
bool HasAvx512Bw() { return false; }
#endif

} // namespace Quill::CpuFeatures
