#include "voice/RadioSound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace voice {
namespace {

constexpr double kRate = 16000;
constexpr int kTailMs = 180;   // the squelch tail
constexpr int kOpenMs = 25;    // the squelch opening before the speech

// A second-order section (the audio cookbook's high- and low-pass).
class Biquad {
public:
    static Biquad highPass(double hz) { return make(hz, true); }
    static Biquad lowPass(double hz) { return make(hz, false); }
    double operator()(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }

private:
    static Biquad make(double hz, bool high) {
        const double w = 2 * std::numbers::pi * hz / kRate, c = std::cos(w), alpha = std::sin(w) / std::numbers::sqrt2;  // Q = 1/sqrt(2)
        const double a0 = 1 + alpha;
        Biquad q;
        q.b1 = (high ? -(1 + c) : (1 - c)) / a0;
        q.b0 = q.b2 = (high ? (1 + c) : (1 - c)) / 2 / a0;
        q.a1 = -2 * c / a0;
        q.a2 = (1 - alpha) / a0;
        return q;
    }
    double b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// The speech band, two sections at each edge, with the transmitter's limiter between them: the
// low end is cut before it (no hum is made louder), the high end after it (its edge is smoothed).
class Band {
public:
    double operator()(double x) { return lo2(lo1(limit(hi2(hi1(x))))); }

private:
    static double limit(double x) { return std::tanh(1.6 * x) / std::tanh(1.6); }
    Biquad hi1 = Biquad::highPass(300), hi2 = Biquad::highPass(300);
    Biquad lo1 = Biquad::lowPass(3000), lo2 = Biquad::lowPass(3000);
};

// Noise from a seed, the same on every machine.
class Noise {
public:
    explicit Noise(quint32 seed) : state_(seed * 2654435761u + 1u) {}
    double operator()() {  // about normal, unit variance
        double sum = 0;
        for (int i = 0; i < 4; ++i) {
            state_ ^= state_ << 13, state_ ^= state_ >> 17, state_ ^= state_ << 5;
            sum += double(state_) / 4294967296.0 - 0.5;
        }
        return sum * std::sqrt(3.0);
    }

private:
    quint32 state_;
};

double peak(const std::vector<qint16>& s) {
    int p = 1;
    for (qint16 v : s) p = std::max(p, std::abs(int(v)));
    return p / 32768.0;
}

// The receiver's audio: the band, with hiss.
std::vector<qint16> receive(const std::vector<double>& in, Noise& noise, double hiss) {
    Band band;
    std::vector<qint16> out(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        out[i] = qint16(std::clamp(band(in[i] + hiss * noise()) * 0.8 * 32767.0, -32767.0, 32767.0));
    return out;
}

// The squelch: noise as the carrier comes, and the burst of hiss after it has gone.
void squelch(std::vector<double>& s, size_t speechFrom, size_t speechTo, Noise& noise) {
    const size_t open = size_t(kOpenMs * kRate / 1000), tail = size_t(kTailMs * kRate / 1000);
    for (size_t i = 0; i < open && i < speechFrom; ++i) s[speechFrom - open + i] += 0.15 * noise() * (1.0 - double(i) / open);
    for (size_t i = 0; i < tail && speechTo + i < s.size(); ++i) {
        const double t = double(i) / tail;
        s[speechTo + i] += 0.35 * noise() * (t < 0.1 ? t / 0.1 : std::exp(-4.0 * (t - 0.1)));
    }
}

} // namespace

std::vector<qint16> radioSound(const std::vector<qint16>& speech16k, quint32 seed) {
    const size_t open = size_t(kOpenMs * kRate / 1000), tail = size_t(kTailMs * kRate / 1000);
    std::vector<double> s(open + speech16k.size() + tail, 0.0);
    // The transmitter's deviation limit: speech brought to an even level, as the limiter does.
    const double gain = 0.7 / peak(speech16k);
    for (size_t i = 0; i < speech16k.size(); ++i) s[open + i] = speech16k[i] / 32768.0 * gain;
    Noise noise(seed);
    squelch(s, open, open + speech16k.size(), noise);
    return receive(s, noise, 0.012);
}

std::vector<qint16> doubleSound(const std::vector<qint16>& first16k, const std::vector<qint16>& second16k, quint32 seed) {
    const size_t open = size_t(kOpenMs * kRate / 1000), tail = size_t(kTailMs * kRate / 1000);
    const size_t length = std::max(first16k.size(), second16k.size());
    std::vector<double> s(open + length + tail, 0.0);
    Noise noise(seed);
    const double g1 = 0.6 / peak(first16k), g2 = 0.6 / peak(second16k);
    // The two carriers a few hundred hertz apart beat into a whine that wanders a little.
    const double beat = 700.0 + 600.0 * (noise() * 0.2 + 0.5);
    double phase = 0;
    for (size_t i = 0; i < length; ++i) {
        const double a = i < first16k.size() ? first16k[i] / 32768.0 * g1 : 0.0;
        const double b = i < second16k.size() ? second16k[i] / 32768.0 * g2 : 0.0;
        phase += 2 * std::numbers::pi * (beat + 40.0 * std::sin(2 * std::numbers::pi * 3.0 * double(i) / kRate)) / kRate;
        // Each capturing the receiver in turn: the stronger at a moment mostly wins, torn.
        const double capture = std::abs(a) > std::abs(b) ? a + 0.5 * b : b + 0.5 * a;
        s[open + i] = 2.2 * capture + 0.25 * std::sin(phase) + 0.08 * noise();
    }
    squelch(s, open, open + length, noise);
    return receive(s, noise, 0.03);
}

struct RadioReceiver::State {
    explicit State(quint32 seed) : noise(seed) {}
    Band band;
    Noise noise;
    double level = 0.05;   // the speech's recent peak, for the limiter's gain
    double phase = 0;      // of the beat between two carriers
    size_t tailLeft = 0;   // samples of squelch tail still to play
    size_t sample = 0;
};

RadioReceiver::RadioReceiver(quint32 seed) : d(std::make_unique<State>(seed)) {}
RadioReceiver::~RadioReceiver() = default;
RadioReceiver::RadioReceiver(RadioReceiver&&) noexcept = default;
RadioReceiver& RadioReceiver::operator=(RadioReceiver&&) noexcept = default;

bool RadioReceiver::quiet() const { return d->tailLeft == 0; }

void RadioReceiver::frame(const std::vector<const qint16*>& speech, int count, std::vector<double>& out) {
    State& s = *d;
    const size_t tail = size_t(kTailMs * kRate / 1000);
    if (speech.empty() && s.tailLeft == 0) return;
    if (out.size() < size_t(count)) out.resize(size_t(count), 0.0);
    for (int i = 0; i < count; ++i, ++s.sample) {
        double x = 0;
        if (speech.size() == 1) {
            const double v = speech[0][i] / 32768.0;
            // The limiter's level: quick to rise, slow to fall (about a second).
            s.level = std::max(std::abs(v), s.level * 0.99994);
            x = v * 0.7 / std::max(s.level, 0.02) + 0.012 * s.noise();
        } else if (speech.size() >= 2) {
            const double a = speech[0][i] / 32768.0, b = speech[1][i] / 32768.0;
            s.level = std::max({std::abs(a), std::abs(b), s.level * 0.99994});
            const double g = 0.6 / std::max(s.level, 0.02);
            s.phase += 2 * std::numbers::pi * (900.0 + 40.0 * std::sin(2 * std::numbers::pi * 3.0 * double(s.sample) / kRate)) / kRate;
            const double capture = std::abs(a) > std::abs(b) ? a + 0.5 * b : b + 0.5 * a;
            x = 2.2 * capture * g + 0.25 * std::sin(s.phase) + 0.08 * s.noise() + 0.03 * s.noise();
        } else {
            // The squelch tail: a burst of hiss as the carrier goes.
            const double t = 1.0 - double(s.tailLeft) / double(tail);
            x = 0.35 * s.noise() * (t < 0.1 ? t / 0.1 : std::exp(-4.0 * (t - 0.1)));
            if (--s.tailLeft == 0) {
                // Silence from here on: the filters start afresh with the next carrier.
                s.band = Band();
                break;
            }
        }
        out[size_t(i)] += std::clamp(s.band(x) * 0.8 * 32767.0, -32767.0, 32767.0);
    }
    if (!speech.empty()) s.tailLeft = tail;
}

} // namespace voice
