// Expected behaviour of the error handler for every type code, shared by the
// per-mode test programs.
#pragma once

#include <cstdint>

// Mode index: _lib_version + 1, so 0 IEEE, 1 SVID, 2 ANSI, 3 strict ANSI.
inline constexpr int mode_count = 4;

struct handler_case {
  int code;
  double x;
  double y;
  const char* name;
  int kind;
  unsigned flags;               // exactly the IEEE flags raised, in every mode
  std::uint64_t ieee;           // IEEE result
  std::uint64_t svid_value;     // retval in SVID mode
  std::uint64_t ansi_value;     // retval in the other modes
  int errno_by_mode[mode_count];  // 0: errno left alone
  const char* svid_message;     // nullptr: nothing written
};

extern const handler_case handler_cases[];
extern const int handler_case_count;

// Bit patterns used by the table and the tests.
inline constexpr std::uint64_t bits_nanx = 0x7FFFFFFFFFFFFFFF;
inline constexpr std::uint64_t bits_inf = 0x7FF0000000000000;
inline constexpr std::uint64_t bits_neg_inf = 0xFFF0000000000000;
inline constexpr std::uint64_t bits_huge = 0x47EFFFFFE0000000;
inline constexpr std::uint64_t bits_neg_huge = 0xC7EFFFFFE0000000;
inline constexpr std::uint64_t bits_zero = 0x0000000000000000;
inline constexpr std::uint64_t bits_neg_zero = 0x8000000000000000;
inline constexpr std::uint64_t bits_one = 0x3FF0000000000000;
inline constexpr std::uint64_t bits_pi_rz = 0x400921FB54442D18;
inline constexpr std::uint64_t bits_neg_pi_rz = 0xC00921FB54442D18;
inline constexpr std::uint64_t bits_quiet_nan = 0x7FF8000000000000;
inline constexpr std::uint64_t bits_signalling_nan = 0x7FF0000000000001;
inline constexpr std::uint64_t bits_five = 0x4014000000000000;
inline constexpr std::uint64_t bits_quarter = 0x3FD0000000000000;
