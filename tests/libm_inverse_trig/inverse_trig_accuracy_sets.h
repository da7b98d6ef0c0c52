// The argument sets on which atan, atan2, asin and acos are measured against MPFR.
#pragma once

#include "accuracy_sets.h"

#include <cstddef>

extern const accuracy_set inverse_trig_accuracy_sets[];
extern const std::size_t inverse_trig_accuracy_set_count;
