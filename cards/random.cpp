#include "random.h"

#include <chrono>

namespace cards {

SystemRandom::SystemRandom()
{
    reseed();
}

float SystemRandom::next()
{
    return UnitFloat(m_engine());
}

void SystemRandom::reseed()
{
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    ++m_reseeds;
    // Old engine output keeps the state chained even if random_device were weak.
    std::seed_seq seq{device(),
                      device(),
                      device(),
                      device(),
                      static_cast<std::uint32_t>(now),
                      static_cast<std::uint32_t>(now >> 32),
                      static_cast<std::uint32_t>(m_reseeds),
                      static_cast<std::uint32_t>(m_engine())};
    m_engine.seed(seq);
}

float SeededRandom::next()
{
    return UnitFloat(m_engine());
}

} // namespace cards
