#pragma once

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace varnick::bench {

// Returns the median of the samples (the mean of the two middle ones for an even count); 0 for none.
inline double median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

// Prints one figure: the two medians, their ratio, the goal and whether it was met (nothing for a figure shown
// for information only), with an optional note.
inline void printRow(const std::string& figure, double varnick, double baseline, const std::string& goal,
                     std::optional<bool> met, const std::string& note = {}) {
    const double ratio = baseline > 0 ? varnick / baseline : 0;
    const char* result = !met ? "-" : *met ? "met" : "MISSED";
    std::printf("%-40s %12.2f %12.2f %6.2fx %-18s %s%s\n", figure.c_str(), varnick, baseline, ratio, goal.c_str(),
                result, note.empty() ? "" : (" (" + note + ")").c_str());
    std::fflush(stdout);
}

}  // namespace varnick::bench
