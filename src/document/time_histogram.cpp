#include "document/time_histogram.h"

#include <bit>
#include <cmath>

std::size_t CTVRTimeHistogram::BucketOf(std::int64_t ns) {
  if (ns < 0) ns = 0;
  const std::uint64_t value = std::uint64_t(ns);
  if (value < SUB_COUNT) return std::size_t(value);
  const int top = int(std::bit_width(value)) - 1;  // the highest bit set, SUB_BITS or more
  if (top > TOP_BIT) return BUCKET_COUNT - 1;
  const int shift = top - SUB_BITS;
  // Past the first SUB_COUNT: SUB_COUNT buckets for each power of two.
  return std::size_t(SUB_COUNT) * std::size_t(shift + 1) + std::size_t((value >> shift) - SUB_COUNT);
}

std::int64_t CTVRTimeHistogram::BucketLow(std::size_t bucket) {
  if (bucket < SUB_COUNT) return std::int64_t(bucket);
  const std::size_t shift = bucket / SUB_COUNT - 1;
  return std::int64_t((SUB_COUNT + bucket % SUB_COUNT) << shift);
}

std::int64_t CTVRTimeHistogram::BucketWidth(std::size_t bucket) {
  return bucket < SUB_COUNT ? 1 : std::int64_t(1) << (bucket / SUB_COUNT - 1);
}

void CTVRTimeHistogram::Add(std::int64_t ns) {
  if (ns < 0) ns = 0;
  if (m_nCount == 0 || ns < m_nMin) m_nMin = ns;
  if (m_nCount == 0 || ns > m_nMax) m_nMax = ns;
  ++m_nCount;
  m_nSum += std::uint64_t(ns);
  ++m_Buckets[BucketOf(ns)];
}

std::int64_t CTVRTimeHistogram::GetPercentile(double fraction) const {
  if (m_nCount == 0) return 0;
  if (!(fraction > 0)) return m_nMin;
  if (fraction >= 1) return m_nMax;
  // Nearest rank: the smallest time with at least ceil(fraction * count) times at or under it.
  std::uint64_t rank = std::uint64_t(std::ceil(fraction * double(m_nCount)));
  if (rank < 1) rank = 1;
  std::uint64_t seen = 0;
  for (std::size_t bucket = 0; bucket < BUCKET_COUNT; ++bucket) {
    seen += m_Buckets[bucket];
    if (seen < rank) continue;
    const std::int64_t middle = BucketLow(bucket) + (BucketWidth(bucket) - 1) / 2;
    return middle < m_nMin ? m_nMin : middle > m_nMax ? m_nMax : middle;
  }
  return m_nMax;
}
