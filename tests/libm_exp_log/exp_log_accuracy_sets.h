// The accuracy argument sets of exp and log (exp_log_accuracy_sets.cpp).
#pragma once

#include "accuracy_sets.h"

#include <cstddef>

extern const accuracy_set exp_log_accuracy_sets[];
extern const std::size_t exp_log_accuracy_set_count;
