// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for orvane-cli analyze: the least a program can do to print the
// same table. It reads the design file, works the same lumped model out one
// frequency at a time with nothing kept between rows, and writes the same
// CSV columns (printf's "%.17g") through one buffer. It knows only what the
// benchmark's design needs: a 6th-order bandpass box with ports in both
// chambers, Re, Le, Pe and Xmax.
//
//   analysis_floor FILE > table.csv
#include "core/design/DesignFile.h"

#include <charconv>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

using namespace orvane;
using Complex = std::complex<double>;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRho = 1.18, kC = 345, kP0 = 20e-6, kFt3 = 0.028316846592, kInch = 0.0254;

Complex Inverse(Complex z) {
    const double scale = 1 / (z.real() * z.real() + z.imag() * z.imag());
    return {z.real() * scale, -z.imag() * scale};
}

struct Output {
    char buffer[1 << 16];
    std::size_t used = 0;
    void Flush() {
        std::fwrite(buffer, 1, used, stdout);
        used = 0;
    }
    void Put(const char* text, std::size_t size) {
        if (used + size > sizeof buffer)
            Flush();
        for (std::size_t i = 0; i < size; ++i)
            buffer[used++] = text[i];
    }
    void Number(double v, char before) {
        if (used + 40 > sizeof buffer)
            Flush();
        buffer[used++] = before;
        used =
            std::to_chars(buffer + used, buffer + sizeof buffer, v, std::chars_format::general, 17)
                .ptr -
            buffer;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    const std::optional<SpeakerDesign> loaded = DesignFile::Parse(bytes);
    if (!loaded)
        return 1;
    const SpeakerDesign& d = *loaded;
    const DesignExtras& x = d.m_extras;

    // The driver, from its Thiele/Small values and the efficiency.
    const double n = d.m_driverCount, fs = d.m_fs, vas = d.m_vas * kFt3;
    const double level = 10 * std::log10(kRho * kC / (2 * kPi * kP0 * kP0));
    const double eta0 = std::pow(10.0, (d.m_efficiency - level) / 10);
    const double qes = 4 * kPi * kPi * fs * fs * fs * vas / (kC * kC * kC) / eta0;
    const double qms = d.m_qts * qes / (qes - d.m_qts);
    const double r = 0.415 * d.m_coneDiameter * kInch, sd = kPi * r * r;
    const double ws = 2 * kPi * fs, cms = vas / (kRho * kC * kC * sd * sd);
    const double mms = 1 / (ws * ws * cms), rms = ws * mms / qms, bl2 = ws * mms / qes * *x.re;
    const double re = *x.re, le = *x.le * 1e-3, power = x.power.value_or(1), ql = x.ql.value_or(7);
    const double drive = std::sqrt(bl2) * std::sqrt(power / n * re); // Bl·V
    const double xmax = d.m_xmax * kInch * 1000, thermal = n * *x.pe;
    // The two vented chambers.
    double c[2], inverseMass[2], leak[2], area[2];
    const double volumes[] = {d.m_v1, d.m_v2}, tunings[] = {d.m_f1, d.m_f2};
    const double diameters[] = {*x.portDiameter, *x.port2Diameter};
    const double ports[] = {double(x.ports.value_or(1)), double(x.ports2.value_or(1))};
    for (int i = 0; i < 2; ++i) {
        const double wb = 2 * kPi * tunings[i];
        c[i] = volumes[i] * kFt3 / (kRho * kC * kC);
        inverseMass[i] = wb * wb * c[i];
        leak[i] = wb * c[i] / ql;
        area[i] = ports[i] * kPi * std::pow(diameters[i] * kInch / 2, 2);
    }

    struct State {
        Complex velocity, pressure, chamber[2], load;
    };
    const auto at = [&](double f) {
        const double w = 2 * kPi * f;
        State s;
        Complex port[2];
        for (int i = 0; i < 2; ++i) {
            port[i] = Complex(0, -inverseMass[i] / w);
            s.chamber[i] = Inverse(port[i] + leak[i] + Complex(0, w * c[i]));
        }
        s.load =
            Complex(rms, w * mms - 1 / (w * cms)) + n * sd * sd * (s.chamber[0] + s.chamber[1]);
        const Complex ze = Inverse(Complex(re, w * le));
        s.velocity = drive * ze * Inverse(s.load + bl2 * ze);
        const Complex u = n * sd * s.velocity * (s.chamber[0] * port[0] - s.chamber[1] * port[1]);
        s.pressure = Complex(0, w * kRho / (2 * kPi)) * u;
        return s;
    };

    Output out;
    const char header[] = "frequency_hz,spl_db,excursion_mm,port1_velocity_m_s,port2_velocity_m_s,"
                          "impedance_ohm,impedance_phase_deg,group_delay_ms,max_power_w,"
                          "max_spl_db\n";
    out.Put(header, sizeof header - 1);
    const auto first = static_cast<long long>(d.m_freqLow);
    const auto last = static_cast<long long>(d.m_freqHigh);
    for (long long i = first; i < last; ++i) {
        const double f = static_cast<double>(i), w = 2 * kPi * f;
        const State s = at(f);
        const double p2 = std::norm(s.pressure) / (kP0 * kP0);
        const double excursion = std::sqrt(2.0) * std::abs(s.velocity) / w * 1000;
        double velocity[2];
        for (int k = 0; k < 2; ++k)
            velocity[k] = std::sqrt(2.0) *
                          std::abs(n * sd * s.velocity * s.chamber[k] / w * inverseMass[k]) /
                          area[k];
        const Complex z = Complex(re, w * le) + bl2 * Inverse(s.load);
        const double h = 1e-5 * f;
        const double delay =
            -std::arg(at(f + h).pressure * std::conj(at(f - h).pressure)) / (2 * kPi * 2 * h);
        const double ratio = xmax / excursion;
        const double maxPower = std::min(thermal, power * ratio * ratio);
        char frequency[24];
        out.Put(frequency,
                std::to_chars(frequency, frequency + sizeof frequency, i).ptr - frequency);
        out.Number(10 * std::log10(p2), ',');
        out.Number(excursion, ',');
        out.Number(velocity[0], ',');
        out.Number(velocity[1], ',');
        out.Number(std::abs(z), ',');
        out.Number(std::arg(z) * 180 / kPi, ',');
        out.Number(delay * 1000, ',');
        out.Number(maxPower, ',');
        out.Number(10 * std::log10(p2 / power * maxPower), ',');
        out.Put("\n", 1);
    }
    out.Flush();
    return std::fflush(stdout) == 0 ? 0 : 1;
}
