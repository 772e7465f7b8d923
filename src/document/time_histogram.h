// Round-trip times counted in a fixed number of buckets, so that a loop of any
// length costs the same memory: the count, the least, the greatest and the sum
// are exact; a percentile is read from the buckets.
//
// The buckets are log-spaced in the manner of an HDR histogram: times under
// 32 ns have a bucket each; above, every power of two is cut into 32 buckets
// of equal width, so a bucket is at most 1/32 of its lower bound wide. A
// percentile is the middle of the bucket holding it (the bucket's own value
// when it is 1 ns wide), kept within the least and greatest times: it is off
// by at most 1/64 (1.6 %) of the true value. Times from 2^45 ns (about 9.8
// hours) on share the last bucket. 1,312 buckets of 8 bytes: 10.25 KiB.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class CTVRTimeHistogram {
 public:
  static constexpr int SUB_BITS = 5;
  static constexpr std::uint64_t SUB_COUNT = std::uint64_t(1) << SUB_BITS;  // buckets per power of two
  static constexpr int TOP_BIT = 44;                                        // the highest bit cut into buckets
  static constexpr std::size_t BUCKET_COUNT = std::size_t(SUB_COUNT) * (TOP_BIT - SUB_BITS + 2);

  void Add(std::int64_t ns);

  std::uint64_t GetCount() const { return m_nCount; }
  std::int64_t GetMin() const { return m_nMin; }
  std::int64_t GetMax() const { return m_nMax; }
  double GetMean() const { return m_nCount ? double(m_nSum) / double(m_nCount) : 0.0; }
  // The time that `fraction` (0 to 1) of the times are at or under (nearest
  // rank), within the bound above; 0 when nothing was counted.
  std::int64_t GetPercentile(double fraction) const;

  // The bucket of a time, and the times a bucket holds: [low, low + width).
  static std::size_t BucketOf(std::int64_t ns);
  static std::int64_t BucketLow(std::size_t bucket);
  static std::int64_t BucketWidth(std::size_t bucket);

 private:
  std::array<std::uint64_t, BUCKET_COUNT> m_Buckets{};
  std::uint64_t m_nCount = 0;
  std::int64_t m_nMin = 0;
  std::int64_t m_nMax = 0;
  // Nanoseconds: overflows after 584 years of answers.
  std::uint64_t m_nSum = 0;
};
