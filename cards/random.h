#pragma once

#include <cstdint>
#include <random>

namespace cards {

// The game's source of uniform single-precision values in [0, 1).
// Tests and the analyzer substitute their own.
class Random
{
  public:
    virtual ~Random() = default;
    virtual float next() = 0;
    // Asked for before every new deck and every shuffle.
    virtual void reseed() = 0;
};

// A 64-bit Mersenne Twister seeded from std::random_device mixed with the
// high-resolution clock, so two reseeds in the same millisecond still differ.
class SystemRandom final : public Random
{
  public:
    SystemRandom();
    float next() override;
    void reseed() override;

  private:
    std::mt19937_64 m_engine;
    std::uint64_t m_reseeds = 0;
};

// Deterministic: a given seed always yields the same sequence, and reseed()
// keeps going rather than restarting, so reruns with one seed agree.
class SeededRandom final : public Random
{
  public:
    explicit SeededRandom(std::uint64_t seed) : m_engine(seed) {}
    float next() override;
    void reseed() override {}

  private:
    std::mt19937_64 m_engine;
};

// Maps 64 random bits to [0, 1) with the 24 bits a float can hold exactly,
// so the result can never round up to 1.0.
constexpr float UnitFloat(std::uint64_t bits)
{
    return static_cast<float>(bits >> 40) * (1.0f / 16777216.0f);
}

} // namespace cards
