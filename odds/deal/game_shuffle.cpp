#include "game_shuffle.h"

#include "deck.h"
#include "random.h"

#include <numeric>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace odds {

#ifndef __SSE2__
// Rounds half to even, as nearbyint does in the default rounding mode; the
// SSE2 path rounds four at a time with _mm_cvtps_epi32 instead.
inline int RoundHalfEven(float x)
{
    return static_cast<int>(std::lrint(x));
}
#endif

// The game's shuffle is 52 triple cuts; the top cards are followed back
// through them to the places they held in the fresh deck 1..52.

std::array<int, kTopCards> TopAfterCuts(const std::int32_t* cut)
{
    constexpr int n = cards::kCardCount;
    // Sixteen byte lanes of which ten are used: places stay below 104.
    alignas(16) std::array<std::int8_t, 16> place{};
    std::iota(place.begin(), place.end(), std::int8_t{0});
#ifdef __SSE2__
    __m128i q = _mm_load_si128(reinterpret_cast<const __m128i*>(place.data()));
    const __m128i deck = _mm_set1_epi8(static_cast<char>(n));
    const __m128i deck1 = _mm_set1_epi8(static_cast<char>(n - 1));
#endif
    for (int i = n - 1; i >= 0; --i) {
        // min and max without a branch: the pairs come in random order.
        const std::int32_t x = cut[2 * i];
        const std::int32_t y = cut[2 * i + 1];
        const std::int32_t less = (x - y) & -static_cast<std::int32_t>(x < y);
        const auto a = static_cast<std::int8_t>(y + less);
        const auto b = static_cast<std::int8_t>(x - less);
        // After the cut the deck reads [b, n) [a, b) [0, a): a card now at q
        // was at q + b, less n - a if it came from the middle block, less b
        // more if it came from the first.
#ifdef __SSE2__
        const __m128i vb = _mm_set1_epi8(b);
        const __m128i va = _mm_set1_epi8(a);
        const __m128i firstStart = _mm_sub_epi8(deck, va);
        const __m128i past = _mm_and_si128(_mm_cmpgt_epi8(q, _mm_sub_epi8(deck1, vb)), firstStart);
        const __m128i first = _mm_and_si128(_mm_cmpgt_epi8(q, _mm_sub_epi8(deck1, va)), vb);
        q = _mm_sub_epi8(_mm_sub_epi8(_mm_add_epi8(q, vb), past), first);
#else
        const int lastStart = n - b;
        const int firstStart = n - a;
        for (std::int8_t& p : place) {
            const int past = p >= lastStart ? firstStart : 0;
            const int first = p >= firstStart ? b : 0;
            p = static_cast<std::int8_t>(p + b - past - first);
        }
#endif
    }
#ifdef __SSE2__
    _mm_store_si128(reinterpret_cast<__m128i*>(place.data()), q);
#endif
    std::array<int, kTopCards> top{};
    for (int k = 0; k < kTopCards; ++k)
        top[k] = place[k] + 1;
    return top;
}

std::array<int, kTopCards> ShuffledTop(cards::Random& random)
{
    random.reseed(); // as NewDeck does
    random.reseed(); // as ShuffleDeck does
    std::array<std::int32_t, kCuts> cut{};
    for (std::int32_t& k : cut)
        k = cards::CutPoint(random.next(), cards::kCardCount);
    return TopAfterCuts(cut.data());
}

void CutSource::refill()
{
    std::uint64_t* x = m_state.data();
    std::size_t k = 0;
#ifdef __SSE2__
    const __m128i upper = _mm_set1_epi64x(static_cast<long long>(kUpper));
    const __m128i matrix = _mm_set1_epi64x(static_cast<long long>(kMatrix));
    const __m128i one = _mm_set1_epi64x(1);
    const auto twist = [&](std::size_t at, std::size_t far) {
        const __m128i word = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + at));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + at + 1));
        const __m128i y = _mm_or_si128(_mm_and_si128(word, upper), _mm_andnot_si128(upper, next));
        const __m128i odd = _mm_sub_epi64(_mm_setzero_si128(), _mm_and_si128(y, one));
        const __m128i z =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + far)),
                          _mm_xor_si128(_mm_srli_epi64(y, 1), _mm_and_si128(odd, matrix)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(x + at), z);
    };
    for (; k + 2 <= kWords - kShift; k += 2)
        twist(k, k + kShift);
    for (; k + 2 <= kWords - 1; k += 2)
        twist(k, k + kShift - kWords);
#endif
    for (; k < kWords - kShift; ++k)
        x[k] = Twisted(x[k], x[k + 1], x[k + kShift]);
    for (; k < kWords - 1; ++k)
        x[k] = Twisted(x[k], x[k + 1], x[k + kShift - kWords]);
    x[kWords - 1] = Twisted(x[kWords - 1], x[0], x[kShift - 1]);

    std::size_t i = 0;
#ifdef __SSE2__
    const auto temper = [](__m128i z) {
        z = _mm_xor_si128(
            z, _mm_and_si128(_mm_srli_epi64(z, 29), _mm_set1_epi64x(0x5555555555555555LL)));
        z = _mm_xor_si128(
            z, _mm_and_si128(_mm_slli_epi64(z, 17), _mm_set1_epi64x(0x71d67fffeda60000LL)));
        z = _mm_xor_si128(
            z, _mm_and_si128(_mm_slli_epi64(z, 37),
                             _mm_set1_epi64x(static_cast<long long>(0xfff7eee000000000ULL))));
        z = _mm_xor_si128(z, _mm_srli_epi64(z, 43));
        return _mm_srli_epi64(z, 40); // the 24 bits UnitFloat keeps
    };
    const __m128 unit = _mm_set1_ps(1.0f / 16777216.0f);
    const __m128 deckSize = _mm_set1_ps(static_cast<float>(cards::kCardCount));
    for (; i + 4 <= kWords; i += 4) {
        const __m128i a = temper(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i)));
        const __m128i b = temper(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i + 2)));
        const __m128i four = _mm_unpacklo_epi64(_mm_shuffle_epi32(a, _MM_SHUFFLE(2, 0, 2, 0)),
                                                _mm_shuffle_epi32(b, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m128 r = _mm_mul_ps(_mm_cvtepi32_ps(four), unit);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(m_cuts.data() + i),
                         _mm_cvtps_epi32(_mm_mul_ps(r, deckSize)));
    }
    static_assert(kWords % 4 == 0);
#else
    for (; i < kWords; ++i)
        m_cuts[i] =
            RoundHalfEven(cards::UnitFloat(Tempered(x[i])) * static_cast<float>(cards::kCardCount));
#endif
}

} // namespace odds
