#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// The median of one field of timed samples, with the fastest and the
// slowest: "0.123s [0.100-0.150]".
template <typename Sample>
std::string Median(std::vector<Sample> samples, double Sample::*field) {
  std::sort(samples.begin(), samples.end(), [&](const Sample& a, const Sample& b) { return a.*field < b.*field; });
  const std::size_t n = samples.size();
  const double median = n % 2 ? samples[n / 2].*field : (samples[n / 2 - 1].*field + samples[n / 2].*field) / 2;
  char text[96];
  std::snprintf(text, sizeof text, "%.3fs [%.3f-%.3f]", median, samples.front().*field, samples.back().*field);
  return text;
}

}  // namespace bench
