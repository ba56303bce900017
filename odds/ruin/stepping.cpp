#include "stepping.h"

namespace odds::ruin_detail {

// A tile small enough for the first-level cache is summed in place while the
// live levels stream past it; the AVX2 clone doubles the width of each step
// where the processor has it.
[[gnu::target_clones("arch=x86-64-v3", "default")]] void
StepTile(double* __restrict out, std::size_t begin, std::size_t end, const double* __restrict live,
         std::size_t liveCount, const std::size_t* shift, const double* chance,
         std::size_t outcomes)
{
    std::fill(out, out + (end - begin), 0.0);
    for (std::size_t k = 0; k < outcomes; ++k) {
        const std::size_t lo = std::max(begin, shift[k]);
        const std::size_t hi = std::min(end, shift[k] + liveCount);
        const double p = chance[k];
        const double* from = live - shift[k];
        for (std::size_t y = lo; y < hi; ++y)
            out[y - begin] += p * from[y];
    }
}

} // namespace odds::ruin_detail
