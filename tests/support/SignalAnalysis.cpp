#include "support/SignalAnalysis.h"

#include <algorithm>
#include <cmath>

namespace zephra {
namespace test {

double estimateFrequency(const std::vector<float>& samples, double sampleRate, size_t from)
{
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (size_t i = std::max<size_t>(from, 1); i < samples.size(); ++i) {
        const double a = samples[i - 1], b = samples[i];
        if (a < 0.0 && b >= 0.0) {
            const double at = double(i - 1) + (-a) / (b - a);   // where the line crosses zero
            if (crossings == 0)
                first = at;
            last = at;
            ++crossings;
        }
    }
    if (crossings < 3 || last <= first)
        return 0.0;
    return double(crossings - 1) * sampleRate / (last - first);
}

double peakLevel(const std::vector<float>& samples, size_t from, size_t to)
{
    to = std::min(to, samples.size());
    double peak = 0.0;
    for (size_t i = from; i < to; ++i)
        peak = std::max(peak, double(std::fabs(samples[i])));
    return peak;
}

double rmsLevel(const std::vector<float>& samples, size_t from, size_t to)
{
    to = std::min(to, samples.size());
    if (to <= from)
        return 0.0;
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(to - from));
}

} // namespace test
} // namespace zephra
