// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvane {

// Marks the upper halves of the AVX registers as clear (vzeroupper), when the
// processor has AVX; does nothing elsewhere.
//
// Code compiled for AVX (Qt's raster and blending routines, some of libc's
// string functions) can return with those halves still in use. On processors
// that keep that state (Intel's, among others) every later legacy SSE
// instruction then pays for it: a false dependency on the upper half or a
// state transition, which makes scalar double maths like the response models
// and libm several times slower. Numeric kernels that may run right after
// painting call this once before their loop; it costs a few cycles.
void ClearUpperVectorState();

} // namespace orvane
