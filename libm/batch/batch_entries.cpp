// This instruction set's table of batch functions, named after its namespace
// (entries_N_AVX2, ...) for the dispatcher; the baseline's is entries_baseline.
#include <hwy/highway.h>

#include "batch_loop.h"
#include "batch_targets.h"

namespace korvel_batch {

#if HWY_TARGET == HWY_SSE4
#define KORVEL_BATCH_NAME "sse4"
#elif HWY_TARGET == HWY_AVX2
#define KORVEL_BATCH_NAME "avx2"
#elif HWY_TARGET == HWY_AVX3
#define KORVEL_BATCH_NAME "avx512"
#elif HWY_TARGET == HWY_NEON
#define KORVEL_BATCH_NAME "neon"
#elif HWY_TARGET == HWY_SVE
#define KORVEL_BATCH_NAME "sve"
#elif HWY_TARGET == HWY_EMU128 || HWY_TARGET == HWY_SCALAR
#define KORVEL_BATCH_NAME "portable"
#else
#error "a batch target without a table"
#endif

#if KORVEL_BATCH_BASELINE
#define KORVEL_BATCH_TABLE entries_baseline
#else
#define KORVEL_BATCH_TABLE HWY_CONCAT(entries_, HWY_NAMESPACE)
#endif

extern const batch_entries KORVEL_BATCH_TABLE;
const batch_entries KORVEL_BATCH_TABLE = {
    HWY_NAMESPACE::batch_sin,  HWY_NAMESPACE::batch_cos,   HWY_NAMESPACE::batch_tan,   HWY_NAMESPACE::batch_asin,
    HWY_NAMESPACE::batch_acos, HWY_NAMESPACE::batch_atan,  HWY_NAMESPACE::batch_atan2, HWY_NAMESPACE::batch_exp,
    HWY_NAMESPACE::batch_log,  HWY_NAMESPACE::batch_pow,   HWY_NAMESPACE::batch_sqrt,  HWY_NAMESPACE::batch_ceil,
    HWY_NAMESPACE::batch_floor, HWY_NAMESPACE::batch_rint, HWY_NAMESPACE::batch_fmod,  HWY_NAMESPACE::batch_remainder,
    KORVEL_BATCH_NAME};

}  // namespace korvel_batch
