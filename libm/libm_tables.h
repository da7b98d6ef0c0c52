// The exported read-only tables of the math library: C linkage, one strong name
// each, defined in the generated _TBL_* units.
#pragma once

extern "C" {

// 24-bit chunks of 2/pi: entry j holds bits 24j+1 ... 24j+24 after the binary point.
extern const int __libm_TBL_ipio2_inf[66];

// sin, cos, tan at the breakpoints with high word 0x3FC40000 + i*0x8000.
extern const double __libm_TBL_sin_hi[75];
extern const double __libm_TBL_sin_lo[75];
extern const double __libm_TBL_cos_hi[75];
extern const double __libm_TBL_cos_lo[75];
extern const double __libm_TBL_tan_hi[75];
extern const double __libm_TBL_tan_lo[75];

// atan at the reduction points with high word 0x3FC00000 + (k << 16).
extern const double __libm_TBL_atan_hi[97];
extern const double __libm_TBL_atan_lo[97];

// ln at the points with high word 0x3FB80000 + k*0x8000.
extern const double __libm_TBL_log_hi[256];
extern const double __libm_TBL_log_lo[256];

// log2(1 + j/128), hi cut to its high word.
extern const double __libm_TBL_log2_hi[128];
extern const double __libm_TBL_log2_lo[128];

// 2^(j/64).
extern const double __libm_TBL_exp2_hi[64];
extern const double __libm_TBL_exp2_lo[64];
}
