#pragma once
// What the processor we run on can do, asked once at run time. The release
// program is built for any x86-64, so the wide drawing loops are compiled for
// their instruction sets separately and picked here; other machines report
// nothing and draw with the plain loops.
namespace Quill::CpuFeatures {

// SSE2 is part of every x86-64; false elsewhere.
bool HasSse2();
// AVX2, and an operating system that saves the wide registers.
bool HasAvx2();
// AVX-512 foundation and byte/word instructions.
bool HasAvx512Bw();

} // namespace Quill::CpuFeatures
