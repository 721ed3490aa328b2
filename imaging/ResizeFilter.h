// The four resize filters of the output job.
#pragma once

#include <cstdint>

// The numbers are those the settings file and the command line use.
enum class ResizeFilter : std::int32_t {
    AreaLinear = 0,  // area average when shrinking, linear when enlarging
    Bicubic = 1,     // bicubic with a Gaussian prefilter, shrinking in steps of at most 4x
    Nearest = 2,     // nearest neighbour
    Halftone = 3,    // the system's halftone stretch
};
constexpr std::int32_t kResizeFilterCount = 4;
