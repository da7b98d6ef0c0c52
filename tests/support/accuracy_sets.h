// Named argument sets of the accuracy runs. Each function family publishes an
// array of these; its accuracy test and bench/accuracy_table.sh measure the
// same arguments (fixed seeds) against MPFR.
#pragma once

#include "mpfr_reference.h"

#include <cstddef>
#include <vector>

struct argument_pairs {
  std::vector<double> xs;
  std::vector<double> ys; // empty for one-argument functions
};

struct accuracy_set {
  const char* function; // plain name, also the symbol looked up in libm.so.6
  const char* range;    // what the set covers, for reports
  unary_function ours_unary;      // set for one-argument functions
  mpfr_unary reference_unary;
  binary_function ours_binary;    // set for two-argument functions
  mpfr_binary reference_binary;
  argument_pairs (*make)(std::size_t count); // deterministic: fixed seed per set
};

// Measures `set` on `count` arguments in round-to-nearest.
accuracy_report run_accuracy_set(const accuracy_set& set, std::size_t count);

// The sets of each function family, defined in its test folder.
extern const accuracy_set exact_accuracy_sets[];
extern const std::size_t exact_accuracy_set_count;
extern const accuracy_set trig_accuracy_sets[];
extern const std::size_t trig_accuracy_set_count;
extern const accuracy_set inverse_trig_accuracy_sets[];
extern const std::size_t inverse_trig_accuracy_set_count;
extern const accuracy_set exp_log_accuracy_sets[];
extern const std::size_t exp_log_accuracy_set_count;
extern const accuracy_set pow_accuracy_sets[];
extern const std::size_t pow_accuracy_set_count;
