// Lane operations shared by the vector bodies of exp, log, pow, atan, atan2,
// sin, cos and tan.
// Included after batch_loop.h.
#pragma once

#include <cstddef>
#include <cstdint>

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

// Logical shift of a non-negative lane: one instruction where the arithmetic
// shift of 64-bit lanes is emulated (AVX2, SSE4).
template <int kBits>
HWY_INLINE VI shift_right_non_negative(VI v) {
  const hn::RebindToUnsigned<D> du;
  return hn::BitCast(DI(), hn::ShiftRight<kBits>(hn::BitCast(du, v)));
}

// An integer of fewer than 51 bits as a double, exactly and without a flag:
// the pattern of 1.5·2^52 plus the integer, less 1.5·2^52.
HWY_INLINE V small_integer_to_double(D d, VI n) {
  const VI offset = hn::Set(DI(), static_cast<std::int64_t>(0x4338000000000000ULL));
  return hn::Sub(hn::BitCast(d, hn::Add(n, offset)), hn::BitCast(d, offset));
}

// Rounded to 24 significant bits and back, as a conversion to float and back.
HWY_INLINE V to_single(D d, V v) { return hn::PromoteTo(d, hn::DemoteTo(hn::Rebind<float, D>(), v)); }

// Table reads: lane i gets table[index[i]].
// On x86-64 the lanes are read one load each: on the AMD EPYC we measure on,
// vgatherqpd costs more than the separate loads and inserts (batch log: 2.01
// against 1.42 ns per element with AVX-512, 2.45 against 2.16 with AVX2).
// Elsewhere Highway's gather (SVE's instruction; NEON and the portable target
// read lane by lane in any case).
HWY_INLINE V table_read(D d, const double* table, VI index) {
#if HWY_ARCH_X86
  HWY_ALIGN std::int64_t lane_index[max_lanes];
  HWY_ALIGN double lane_value[max_lanes];
  hn::Store(index, DI(), lane_index);
  for (std::size_t k = 0; k < hn::Lanes(d); ++k) lane_value[k] = table[lane_index[k]];
  return hn::Load(d, lane_value);
#else
  return hn::GatherIndex(d, table, index);
#endif
}

// Two tables at the same rows: the row numbers leave the vector once.
HWY_INLINE void table_read_pair(D d, const double* first_table, const double* second_table, VI index, V& first,
                                V& second) {
#if HWY_ARCH_X86
  HWY_ALIGN std::int64_t lane_index[max_lanes];
  HWY_ALIGN double first_value[max_lanes];
  HWY_ALIGN double second_value[max_lanes];
  hn::Store(index, DI(), lane_index);
  for (std::size_t k = 0; k < hn::Lanes(d); ++k) {
    first_value[k] = first_table[lane_index[k]];
    second_value[k] = second_table[lane_index[k]];
  }
  first = hn::Load(d, first_value);
  second = hn::Load(d, second_value);
#else
  first = hn::GatherIndex(d, first_table, index);
  second = hn::GatherIndex(d, second_table, index);
#endif
}

// table[index] per lane, for a table of `size` doubles (index in 0 .. size-1).
// Where a vector holds 8 doubles and the table at most 32, by lookups within
// registers (the table's 8-element pieces, the right one selected per lane):
// gathers are slow on some AVX-512 processors (AMD's take three times the
// whole rest of exp). Elsewhere table_read. Both read the same bits.
template <std::size_t size>
HWY_INLINE V table_lookup(D d, const double* table, VI index) {
#if HWY_TARGET == HWY_AVX3
  if constexpr (size <= 32 && size % 8 == 0) {
    const DI di;
    const auto within = hn::IndicesFromVec(d, hn::And(index, hn::Set(di, 7)));
    V result = hn::TableLookupLanes(hn::LoadU(d, table), within);
    for (std::size_t piece = 1; piece < size / 8; ++piece) {
      const auto in_piece = hn::RebindMask(d, hn::Eq(hn::ShiftRight<3>(index), hn::Set(di, static_cast<std::int64_t>(piece))));
      result = hn::IfThenElse(in_piece, hn::TableLookupLanes(hn::LoadU(d, table + 8 * piece), within), result);
    }
    return result;
  }
#endif
  return table_read(d, table, index);
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
