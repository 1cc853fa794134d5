// Runs of plain bytes, copied sixteen at a time: the loop every byte pass of the writers and
// readers shares, with the bytes that end a run given by the pass.
#pragma once

#include <QtGlobal>

#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Feedsmith::PlainBytes {

#ifdef __SSE2__

// The bytes of v equal to any of cs, as _mm_cmpeq_epi8 marks them.
template<typename... Chars>
inline __m128i equalToAny(__m128i v, Chars... cs)
{
    return (_mm_setzero_si128() | ... | _mm_cmpeq_epi8(v, _mm_set1_epi8(char(cs))));
}

// Stores the sixteen bytes at src to dst (both with room for sixteen) and gives how many of them
// come before the first one that stops(v) marks: 16 when none does. The bytes behind that one
// are stored as well; the caller writes over them.
template<typename Stops>
inline int copySixteen(const unsigned char *src, char *dst, Stops stops)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), v);
    const int mask = _mm_movemask_epi8(stops(v));
    return mask == 0 ? 16 : std::countr_zero(unsigned(mask));
}

#endif

} // namespace Feedsmith::PlainBytes
