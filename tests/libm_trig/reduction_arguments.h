// Arguments that make reduction modulo pi/2 hard, shared by the reduction
// tests and the accuracy sets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The double nearest n*pi/2, for n = first, first + 1, ... (count values).
std::vector<double> nearest_to_multiples_of_pio2(std::uint64_t first, std::size_t count);
// The double nearest n*pi/2 for `count` random n below 2^max_bits (seeded).
std::vector<double> nearest_to_random_multiples_of_pio2(std::size_t count, int max_bits, std::uint64_t seed);
// For each binade 2^e (e = 1 ... 1023), doubles m*2^(e-52) whose m*2^(e-52)*2/pi
// lies unusually close to an integer: multiples of the continued-fraction
// denominators of frac(2^(e-52)*2/pi) below 2^53, the last `per_binade` of them.
// Both signs.
std::vector<double> close_to_multiples_of_pio2(int per_binade);
