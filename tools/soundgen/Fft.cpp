#include "Fft.h"

#include "Signal.h"

#include <cstddef>

namespace tessary::soundgen {
namespace {

using Complex = std::complex<double>;

std::vector<std::size_t> factorise(std::size_t n)
{
    std::vector<std::size_t> factors;
    for (const std::size_t p : {4, 2, 3, 5})
        while (n % p == 0 && n > 1) {
            factors.push_back(p);
            n /= p;
        }
    for (std::size_t p = 7; n > 1; p += 2)
        while (n % p == 0) {
            factors.push_back(p);
            n /= p;
        }
    return factors;
}

struct Plan {
    std::size_t n;
    std::vector<std::size_t> factors;
    std::vector<Complex> twiddle; // e^{-2πi k/n}
};

// Decimation in time: the p interleaved sub-sequences of `in` (stride `stride`) are
// transformed into consecutive blocks of `out`, then combined by radix-p butterflies.
void transform(const Plan &plan, const Complex *in, std::size_t stride, Complex *out, std::size_t n, std::size_t level)
{
    if (n == 1) {
        out[0] = in[0];
        return;
    }
    const std::size_t p = plan.factors[level];
    const std::size_t m = n / p;
    for (std::size_t j = 0; j < p; ++j)
        transform(plan, in + j * stride, stride * p, out + j * m, m, level + 1);

    const std::size_t step = plan.n / n; // W_n^x = twiddle[x · step]
    const std::size_t rootStep = plan.n / p;
    std::vector<Complex> t(p);
    for (std::size_t k = 0; k < m; ++k) {
        for (std::size_t j = 0; j < p; ++j)
            t[j] = out[k + j * m] * plan.twiddle[j * k * step];
        if (p == 2) {
            out[k] = t[0] + t[1];
            out[k + m] = t[0] - t[1];
        } else if (p == 4) {
            const Complex a = t[0] + t[2], b = t[0] - t[2], c = t[1] + t[3];
            const Complex d = (t[1] - t[3]) * Complex(0.0, -1.0);
            out[k] = a + c;
            out[k + m] = b + d;
            out[k + 2 * m] = a - c;
            out[k + 3 * m] = b - d;
        } else {
            for (std::size_t q = 0; q < p; ++q) {
                Complex sum = 0.0;
                for (std::size_t j = 0; j < p; ++j)
                    sum += t[j] * plan.twiddle[((j * q) % p) * rootStep];
                out[k + q * m] = sum;
            }
        }
    }
}

} // namespace

void fft(std::vector<Complex> &a, bool inverse)
{
    const std::size_t n = a.size();
    if (n < 2)
        return;
    Plan plan{n, factorise(n), std::vector<Complex>(n)};
    for (std::size_t k = 0; k < n; ++k)
        plan.twiddle[k] = std::polar(1.0, -kTwoPi * double(k) / double(n));
    std::vector<Complex> in(a);
    if (inverse)
        for (auto &v : in)
            v = std::conj(v);
    transform(plan, in.data(), 1, a.data(), n, 0);
    if (inverse)
        for (auto &v : a)
            v = std::conj(v) / double(n);
}

} // namespace tessary::soundgen
