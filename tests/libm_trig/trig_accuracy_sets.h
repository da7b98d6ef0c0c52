// Argument sets of sin, cos and tan for the accuracy runs.
#pragma once

#include "accuracy_sets.h"

#include <cstddef>

extern const accuracy_set trig_accuracy_sets[];
extern const std::size_t trig_accuracy_set_count;
