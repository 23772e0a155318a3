#include "ChainModel.h"

#include "processor/StereoChain.h"
#include "processor/WydenzaAudioProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

namespace
{
using chain_model::Values;
namespace cm = chain_model;

struct Harness
{
    explicit Harness (double rate, int maxBlock = 1024) : sampleRate (rate)
    {
        processor.setRateAndBufferSizeDetails (rate, maxBlock);
        processor.prepareToPlay (rate, maxBlock);
    }

    void set (const Values& v)
    {
        for (int i = 0; i < cm::NumParameters; ++i)
            processor.setParameter (i, v[(size_t) i]);
    }

    /** Runs left/right through the processor in place, as one block. */
    void run (std::vector<float>& left, std::vector<float>& right)
    {
        float* channels[] = { left.data(), right.data() };
        juce::AudioBuffer<float> buffer (channels, 2, (int) left.size());
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);
    }

    double sampleRate;
    WydenzaAudioProcessor processor;
};

std::vector<float> noise (std::mt19937& rng, int n, float amplitude)
{
    std::uniform_real_distribution<float> d (-amplitude, amplitude);
    std::vector<float> v ((size_t) n);
    for (auto& x : v)
        x = d (rng);
    return v;
}

/** Exact choice values most of the time, values in between and outside 0..1 now and then. */
Values randomValues (std::mt19937& rng)
{
    std::uniform_real_distribution<float> unit (0.0f, 1.0f), wide (-0.3f, 1.3f);
    auto pick = [&] (std::initializer_list<float> exact)
    {
        const auto roll = unit (rng);
        if (roll < 0.8f)
            return *(exact.begin() + (int) (unit (rng) * (float) exact.size() * 0.9999f));
        return roll < 0.9f ? unit (rng) : wide (rng);
    };
    auto cont = [&]
    { return unit (rng) < 0.9f ? unit (rng) : wide (rng); };
    auto sw = [&]
    { return unit (rng) < 0.3f ? 1.0f : (unit (rng) < 0.9f ? 0.0f : unit (rng)); };

    Values v = cm::defaults();
    v[cm::Bypass] = unit (rng) < 0.1f ? 1.0f : 0.0f;
    v[cm::StereoWidth] = pick ({ 0.0f, 0.5f, 1.0f, 0.25f, 0.75f });
    v[cm::Pan] = pick ({ 0.5f, 0.0f, 1.0f, 0.3f, 0.8f });
    v[cm::InputGain] = cont();
    v[cm::OutputGain] = cont();
    v[cm::SwapLR] = sw();
    v[cm::PhaseFlip] = sw();
    v[cm::Mono] = sw();
    v[cm::MuteAll] = unit (rng) < 0.1f ? 1.0f : 0.0f;
    v[cm::MuteMid] = unit (rng) < 0.15f ? 1.0f : 0.0f;
    v[cm::MuteSide] = unit (rng) < 0.15f ? 1.0f : 0.0f;
    v[cm::PanCurve] = pick ({ 0.0f, 0.1f, 0.2f });
    v[cm::PanLaw] = pick ({ 0.0f, 0.1f, 0.2f });
    v[cm::MsMode] = pick ({ 0.0f, 0.1f });
    v[cm::PanMode] = pick ({ 0.0f, 0.1f });
    v[cm::SafeBassFreq] = pick ({ 0.0f, 0.286f, 1.0f, 0.05f });
    v[cm::SafeBass] = unit (rng) < 0.5f ? 1.0f : 0.0f;
    return v;
}

/** Folding the stages into one map rounds differently from going step by step, so outputs agree to a
    few units in the last place. A single-precision high-pass carries rounding noise in its state that
    grows with the square of sample rate over crossover; two exact implementations of it agree only to
    that, so blocks through the filter get a margin that follows it.
*/
/** insideGain: the largest input-times-output gain since the filter was fresh, since the noise is
    relative to the signal that went through it.
*/
float relativeTolerance (bool filtered, double sampleRate, float crossover, double insideGain)
{
    if (! filtered)
        return 2.0e-5f;

    const auto ratio = sampleRate / (10.0 + 490.0 * (double) crossover);
    return (float) (std::max (1.0, insideGain) * std::max (2.0e-4, 5.0e-10 * ratio * ratio));
}

double insideGainOf (const Values& v)
{
    const auto gain = [] (float x)
    { return std::pow (10.0, (24.0 * x - 12.0) / 20.0); };
    return gain (v[cm::InputGain]) * gain (v[cm::OutputGain]);
}

void expectClose (const std::vector<float>& actual, const std::vector<float>& expected, const char* what, int set, float relative = 2.0e-5f)
{
    for (size_t i = 0; i < actual.size(); ++i)
    {
        const auto tolerance = relative * std::max (1.0f, std::abs (expected[i]));
        ASSERT_NEAR (actual[i], expected[i], tolerance) << what << " sample " << i << " of set " << set;
    }
}
} // namespace

TEST (StereoChain, MatchesStepByStepModelOverRandomParameterSets)
{
    std::mt19937 rng (20261207);
    const double rates[] = { 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 };

    // A processor and a model run side by side through thousands of parameter sets, one set per block,
    // the filter state carrying over from block to block in both; a fresh pair every twenty blocks keeps
    // last-bit differences in a slow filter's state from piling up.
    for (const auto rate : rates)
    {
        std::unique_ptr<Harness> harness;
        std::unique_ptr<cm::Model> modelPtr;
        bool filteredBefore = false;
        float crossover = 0.0f;
        double insideGain = 0.0;
        std::string recent;

        for (int set = 0; set < 2000; ++set)
        {
            if (set % 20 == 0)
            {
                harness = std::make_unique<Harness> (rate);
                modelPtr = std::make_unique<cm::Model> (rate);
                filteredBefore = false;
                insideGain = 0.0;
            }

            auto& h = *harness;
            auto& model = *modelPtr;

            // The crossover stays put within a pair: a jump of a slow high-pass's coefficients while it
            // holds state turns last-bit differences into audible-size ones in either implementation.
            if (set % 20 == 0)
                crossover = randomValues (rng)[cm::SafeBassFreq];
            auto v = randomValues (rng);
            v[cm::SafeBassFreq] = crossover;
            const auto n = 1 + (int) (rng() % 300);
            auto left = noise (rng, n, 0.8f), right = noise (rng, n, 0.8f);
            auto modelLeft = left, modelRight = right;

            if (set % 20 > 0)
                model.setCrossover (v[cm::SafeBassFreq]);

            h.set (v);
            h.run (left, right);
            const auto modelPeaks = model.processBlock (modelLeft.data(), modelRight.data(), n, v);

            recent.clear();
            for (auto x : v)
                recent += std::to_string (x) + " ";
            SCOPED_TRACE (::testing::Message() << "rate " << rate << ", set " << set << ", n " << n << ": " << recent);

            const bool filtered = v[cm::SafeBass] > 0.5f || filteredBefore;
            filteredBefore = filtered;
            insideGain = std::max (insideGain, insideGainOf (v));
            const auto relative = relativeTolerance (filtered, rate, crossover, insideGain);
            expectClose (left, modelLeft, "left", set, relative);
            expectClose (right, modelRight, "right", set, relative);

            const auto tol = [relative] (float x)
            { return relative * std::max (1.0f, x); };
            EXPECT_NEAR (h.processor.takeInputPeakLeft(), modelPeaks.inL, tol (modelPeaks.inL));
            EXPECT_NEAR (h.processor.takeInputPeakRight(), modelPeaks.inR, tol (modelPeaks.inR));
            EXPECT_NEAR (h.processor.takeOutputPeakLeft(), modelPeaks.outL, tol (modelPeaks.outL));
            EXPECT_NEAR (h.processor.takeOutputPeakRight(), modelPeaks.outR, tol (modelPeaks.outR));

            if (HasFailure())
                return;
        }
    }
}

TEST (StereoChain, WidthAndPanChangesDuringABlockAreHeardAtTheNextSample)
{
    auto settings = StereoChainSettings {};
    StereoChain chain;
    std::atomic<float> width { 0.5f }, pan { 0.5f };

    std::vector<float> left { 1.0f, 1.0f }, right { 0.0f, 0.0f };
    chain.process (left.data(), right.data(), 1, settings, width, pan);
    width = 0.0f; // mono from here on
    chain.process (left.data() + 1, right.data() + 1, 1, settings, width, pan);

    EXPECT_FLOAT_EQ (left[0], 1.0f);
    EXPECT_FLOAT_EQ (right[0], 0.0f);
    EXPECT_FLOAT_EQ (left[1], 0.5f);
    EXPECT_FLOAT_EQ (right[1], 0.5f);
}

namespace
{
/** One frame (l, r) through a fresh processor at 48 kHz with the given parameter changes. */
std::pair<float, float> frame (float l, float r, std::initializer_list<std::pair<int, float>> changes)
{
    Harness h (48000.0);
    for (auto [index, value] : changes)
        h.processor.setParameter (index, value);
    std::vector<float> left { l }, right { r };
    h.run (left, right);
    return { left[0], right[0] };
}
} // namespace

TEST (StereoChain, DocumentedSettingsGiveTheirDocumentedResults)
{
    const float l = 0.6f, r = -0.2f, mid = (l + r) * 0.5f;

    auto [dl, dr] = frame (l, r, {});
    EXPECT_NEAR (dl, l, 1e-6f);
    EXPECT_NEAR (dr, r, 1e-6f);

    auto [ml, mr] = frame (l, r, { { cm::StereoWidth, 0.0f } });
    EXPECT_NEAR (ml, mid, 1e-6f);
    EXPECT_NEAR (mr, mid, 1e-6f);

    auto [bl, br] = frame (l, r, { { cm::StereoWidth, 0.0f }, { cm::MsMode, 0.1f } });
    EXPECT_NEAR (bl, 1.5f * mid, 1e-6f);
    EXPECT_NEAR (br, 1.5f * mid, 1e-6f);

    // W = 2 in bind-levels mode: mid halved, side doubled.
    auto [wl, wr] = frame (l, r, { { cm::StereoWidth, 1.0f }, { cm::MsMode, 0.1f } });
    const float side = (r - l) * 0.5f;
    EXPECT_NEAR (wl, 0.5f * mid - 2.0f * side, 1e-6f);
    EXPECT_NEAR (wr, 0.5f * mid + 2.0f * side, 1e-6f);

    // Hard left with the linear curve: right silent, left scaled by the pan law.
    const float lawFactor[] = { 1.0f, 1.5f, 2.0f };
    const float lawValue[] = { 0.0f, 0.1f, 0.2f };
    for (int i = 0; i < 3; ++i)
    {
        auto [pl, pr] = frame (l, r, { { cm::Pan, 0.0f }, { cm::PanCurve, 0.0f }, { cm::PanLaw, lawValue[i] } });
        EXPECT_NEAR (pr, 0.0f, 1e-6f);
        EXPECT_NEAR (pl, l * lawFactor[i], 1e-6f);

        // Dual pan removes the side before panning: the left output is the mid.
        auto [ql, qr] = frame (l, r, { { cm::Pan, 0.0f }, { cm::PanCurve, 0.0f }, { cm::PanLaw, lawValue[i] }, { cm::PanMode, 0.0f } });
        EXPECT_NEAR (qr, 0.0f, 1e-6f);
        EXPECT_NEAR (ql, mid * lawFactor[i], 1e-6f);
    }

    // Just off centre with sin/cos: the attenuated channel drops to sin(pi/4) at once.
    auto [sl, sr] = frame (l, r, { { cm::Pan, 0.5001f }, { cm::PanCurve, 0.2f } });
    EXPECT_NEAR (sl, l * std::sin (0.9998f * 3.14159265f / 4.0f), 1e-5f);
    EXPECT_NEAR (sr, r, 1e-6f);

    auto [fl, fr] = frame (l, r, { { cm::PhaseFlip, 1.0f } });
    EXPECT_NEAR (fl, -l, 1e-6f);
    EXPECT_NEAR (fr, -r, 1e-6f);

    auto [yl, yr] = frame (l, r, { { cm::Bypass, 1.0f }, { cm::InputGain, 1.0f } });
    EXPECT_EQ (yl, l);
    EXPECT_EQ (yr, r);

    auto [xl, xr] = frame (l, r, { { cm::MuteAll, 1.0f } });
    EXPECT_EQ (xl, 0.0f);
    EXPECT_EQ (xr, 0.0f);
}

TEST (StereoChain, MuteSideGivesTheMidAndLeavesTheFilterUnfed)
{
    Harness h (48000.0);
    cm::Model model (48000.0);
    auto v = cm::defaults();
    v[cm::SafeBass] = 1.0f;
    h.set (v);
    std::mt19937 rng (3);

    // The filter first gets some state of its own.
    auto l0 = noise (rng, 256, 0.5f), r0 = noise (rng, 256, 0.5f);
    auto ml0 = l0, mr0 = r0;
    h.run (l0, r0);
    model.processBlock (ml0.data(), mr0.data(), 256, v);

    h.processor.setParameter (cm::MuteSide, 1.0f);
    auto left = noise (rng, 512, 0.5f), right = noise (rng, 512, 0.5f);
    const auto inL = left, inR = right;
    h.run (left, right);

    for (size_t i = 0; i < left.size(); ++i)
    {
        ASSERT_NEAR (left[i], (inL[i] + inR[i]) * 0.5f, 1e-6f);
        ASSERT_NEAR (right[i], left[i], 1e-6f);
    }

    // Had the muted block fed the filter, its state would now differ from the model's frozen one.
    h.processor.setParameter (cm::MuteSide, 0.0f);
    auto l2 = noise (rng, 64, 0.5f), r2 = noise (rng, 64, 0.5f);
    auto ml = l2, mr = r2;
    h.run (l2, r2);
    model.processBlock (ml.data(), mr.data(), 64, v);
    expectClose (l2, ml, "left after unmute", 0, relativeTolerance (true, 48000.0, v[cm::SafeBassFreq], 1.0));
}

TEST (StereoChain, SafeBassIsOffAtZeroFrequencyAndMinus3dBAtItsCrossover)
{
    {
        auto [l, r] = frame (0.5f, -0.5f, { { cm::SafeBass, 1.0f }, { cm::SafeBassFreq, 0.0f } });
        EXPECT_NEAR (l, 0.5f, 1e-6f);
        EXPECT_NEAR (r, -0.5f, 1e-6f);
    }

    for (double rate : { 44100.0, 96000.0 })
    {
        Harness h (rate);
        h.processor.setParameter (cm::SafeBass, 1.0f);
        const float normalised = (150.0f - 10.0f) / 490.0f;
        h.processor.setParameter (cm::SafeBassFreq, normalised);
        const double hz = 10.0 + 490.0 * (double) normalised;

        // A pure side signal at the crossover: after settling, its level is -3.01 dB.
        const int n = (int) rate;
        std::vector<float> left ((size_t) n), right ((size_t) n);
        for (int i = 0; i < n; ++i)
        {
            const auto s = (float) (0.5 * std::sin (2.0 * juce::MathConstants<double>::pi * hz * i / rate));
            left[(size_t) i] = -s;
            right[(size_t) i] = s;
        }
        h.run (left, right);

        double sumIn = 0, sumOut = 0;
        for (int i = n / 2; i < n; ++i)
        {
            const double s = 0.5 * std::sin (2.0 * juce::MathConstants<double>::pi * hz * i / rate);
            sumIn += s * s;
            sumOut += (double) right[(size_t) i] * right[(size_t) i];
        }
        EXPECT_NEAR (10.0 * std::log10 (sumOut / sumIn), -3.0103, 0.02) << rate;
    }
}

TEST (StereoChain, SafeBassFollowsTheButterworthResponseAtEveryRateAndCrossover)
{
    // The analytic response of the bilinear-transformed 2nd-order Butterworth high-pass: the analogue
    // 1 / sqrt (1 + (fc / f)^4) with both frequencies prewarped by tan (pi f / rate).
    const auto expectedDb = [] (double rate, double fc, double f)
    {
        const auto ratio = std::tan (juce::MathConstants<double>::pi * fc / rate) / std::tan (juce::MathConstants<double>::pi * f / rate);
        return -10.0 * std::log10 (1.0 + std::pow (ratio, 4.0));
    };
    const auto measuredDb = [] (const SafeBassFilter::Coefficients& c, double rate, double f)
    {
        const auto z = std::polar (1.0, -2.0 * juce::MathConstants<double>::pi * f / rate);
        const auto h = c.b0 * (1.0 - 2.0 * z + z * z) / (1.0 + c.a1 * z + c.a2 * z * z);
        return 20.0 * std::log10 (std::abs (h));
    };

    for (double rate : { 8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 384000.0 })
        for (double fc : { 10.0, 11.0, 20.0, 60.0, 120.0, 250.0, 500.0 })
            for (double f : { 0.25 * fc, 0.5 * fc, fc, 2.0 * fc })
                EXPECT_NEAR (measuredDb (SafeBassFilter::makeCoefficients (rate, fc), rate, f), expectedDb (rate, fc, f), 0.01)
                    << rate << " Hz, crossover " << fc << " Hz, at " << f << " Hz";

    // The filter itself, where rounding hurts most: a sine at 10 Hz through 384 kHz comes out 3 dB down.
    SafeBassFilter filter;
    filter.setCoefficients (SafeBassFilter::makeCoefficients (384000.0, 10.0));
    double sumIn = 0.0, sumOut = 0.0;
    for (int i = 0; i < 4 * 384000; ++i)
    {
        const auto in = (float) std::sin (2.0 * juce::MathConstants<double>::pi * 10.0 * i / 384000.0);
        const auto out = filter.processSampleWithoutGain (in) * filter.getGain();
        if (i >= 2 * 384000)
        {
            sumIn += (double) in * in;
            sumOut += out * out;
        }
    }
    EXPECT_NEAR (10.0 * std::log10 (sumOut / sumIn), -3.0103, 0.01);
}

TEST (StereoChain, CrossoverFollowsAChangeOfSampleRate)
{
    // Coefficients made at 44.1 kHz must not be kept at 96 kHz, or the crossover moves.
    Harness h (44100.0);
    h.processor.setParameter (cm::SafeBass, 1.0f);
    h.processor.setParameter (cm::SafeBassFreq, 0.286f);
    std::vector<float> l (64, 0.0f), r (64, 0.0f);
    h.run (l, r);

    h.processor.setRateAndBufferSizeDetails (96000.0, 1024);
    std::mt19937 rng (5);
    auto left = noise (rng, 256, 0.5f), right = noise (rng, 256, 0.5f);
    auto ml = left, mr = right;
    h.run (left, right);

    cm::Model model (96000.0);
    auto v = cm::defaults();
    v[cm::SafeBass] = 1.0f;
    model.processBlock (ml.data(), mr.data(), 256, v);
    expectClose (left, ml, "left at the new rate", 0);
    EXPECT_EQ (h.processor.getSampleRateText(), "96000 Hz");
}

TEST (StereoChain, RecoversWithinOneBlockAfterNonFiniteInput)
{
    Harness h (48000.0);
    h.processor.setParameter (cm::SafeBass, 1.0f);

    for (float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity() })
    {
        std::vector<float> left (128, 0.1f), right (128, -0.1f);
        left[10] = bad;
        h.run (left, right);

        std::mt19937 rng (9);
        auto l2 = noise (rng, 128, 0.5f), r2 = noise (rng, 128, 0.5f);
        h.run (l2, r2);

        bool sideSurvives = false;
        for (size_t i = 0; i < l2.size(); ++i)
        {
            ASSERT_TRUE (std::isfinite (l2[i]) && std::isfinite (r2[i]));
            sideSurvives = sideSurvives || std::abs (r2[i] - l2[i]) > 1e-3f;
        }
        EXPECT_TRUE (sideSurvives) << "the side signal stayed silent after " << bad;
    }
}

TEST (StereoChain, PanOutsideTheRangeNeverGivesNaN)
{
    for (float pan : { -0.5f, 1.5f, -3.0f, 4.0f })
        for (float curve : { 0.0f, 0.1f, 0.2f })
        {
            auto [l, r] = frame (0.3f, 0.4f, { { cm::Pan, pan }, { cm::PanCurve, curve } });
            EXPECT_TRUE (std::isfinite (l) && std::isfinite (r)) << pan << " " << curve;
        }
}

TEST (StereoChain, CrossoverFarOutsideTheRangeStaysStable)
{
    // 60 would put the crossover near 29 kHz, beyond half of 44.1 kHz.
    for (float crossover : { 60.0f, 1.0e6f, std::numeric_limits<float>::infinity() })
    {
        Harness h (44100.0);
        h.processor.setParameter (cm::SafeBass, 1.0f);
        h.processor.setParameter (cm::SafeBassFreq, crossover);

        std::mt19937 rng (13);
        float loudest = 0.0f;
        for (int block = 0; block < 50; ++block)
        {
            auto left = noise (rng, 256, 0.5f), right = noise (rng, 256, 0.5f);
            h.run (left, right);
            for (size_t i = 0; i < left.size(); ++i)
                loudest = std::max ({ loudest, std::abs (left[i]), std::abs (right[i]) });
        }
        EXPECT_LT (loudest, 2.0f) << "crossover value " << crossover;
    }
}

namespace
{
/** The plug-in's coefficients for a "SafeBassFreq" value at a rate, as the processor computes them. */
std::array<double, 5> pluginCoefficients (double rate, float normalised)
{
    const auto hz = juce::jlimit (1.0, 0.45 * rate, 10.0 + 490.0 * (double) normalised);
    const auto c = SafeBassFilter::makeCoefficients (rate, hz);
    return { c.b0, c.b1, c.b2, c.a1, c.a2 };
}

/** Per channel: |new - old| <= 1e-5 * block peak + 1e-6 + 16 * the largest distance in the block between
    the framework's float filter and the same recurrence in double.
*/
void expectWithinFilterRounding (const std::vector<float>& actual, const std::vector<float>& old, const std::vector<float>& oldInDouble, const char* what)
{
    float peak = 0.0f, rounding = 0.0f;
    for (size_t i = 0; i < old.size(); ++i)
    {
        peak = std::max (peak, std::abs (old[i]));
        rounding = std::max (rounding, std::abs (old[i] - oldInDouble[i]));
    }

    const auto tolerance = 1.0e-5f * peak + 1.0e-6f + 16.0f * rounding;
    for (size_t i = 0; i < old.size(); ++i)
        ASSERT_LE (std::abs (actual[i] - old[i]), tolerance) << what << " sample " << i << ", block peak " << peak << ", float rounding " << rounding;
}
} // namespace

TEST (StereoChain, SafeBassStaysWithinTheRoundingOfTheFrameworksFilter)
{
    std::mt19937 rng (77);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    const double rates[] = { 44100.0, 48000.0, 96000.0 };

    for (int run = 0; run < 24; ++run)
    {
        auto rate = rates[run % 3];
        Harness h (rate);
        cm::BasicModel<float> old (rate);
        cm::BasicModel<double> oldInDouble (rate);

        // Crossovers from 10 Hz up: a value near zero is 10 Hz, 1 is 500 Hz.
        const auto crossover = run % 4 == 0 ? 1.0e-6f : std::max (1.0e-6f, unit (rng));
        const auto setCoefficients = [&]
        {
            old.setFilterCoefficients (pluginCoefficients (rate, crossover));
            oldInDouble.setFilterCoefficients (pluginCoefficients (rate, crossover));
            old.getFilter().restateFromHistory();
            oldInDouble.getFilter().restateFromHistory();
        };
        setCoefficients();

        for (int block = 0; block < 40; ++block)
        {
            auto v = randomValues (rng);
            v[cm::SafeBass] = unit (rng) < 0.85f ? 1.0f : 0.0f;
            v[cm::SafeBassFreq] = crossover;
            v[cm::Bypass] = 0.0f;

            // Now and then the host switches rate: new coefficients, the state carried over.
            if (block % 13 == 12)
            {
                rate = rates[(size_t) (rng() % 3)];
                h.processor.setRateAndBufferSizeDetails (rate, 1024);
                setCoefficients();
            }

            const auto n = 1 + (int) (rng() % 600);
            auto left = noise (rng, n, 0.8f), right = noise (rng, n, 0.8f);
            const bool poisoned = block % 11 == 5;
            if (poisoned)
            {
                left[(size_t) (rng() % (unsigned) n)] = std::numeric_limits<float>::quiet_NaN();
                v[cm::MuteAll] = 0.0f; // a muted block feeds the filter silence in the model
            }

            auto oldLeft = left, oldRight = right, doubleLeft = left, doubleRight = right;
            h.set (v);
            h.run (left, right);
            old.processBlock (oldLeft.data(), oldRight.data(), n, v);
            oldInDouble.processBlock (doubleLeft.data(), doubleRight.data(), n, v);

            SCOPED_TRACE (::testing::Message() << "run " << run << ", block " << block << ", rate " << rate << ", crossover " << crossover << ", n " << n);

            // The block with the NaN is lost in both; the ones after it must agree again.
            if (poisoned)
                continue;

            expectWithinFilterRounding (left, oldLeft, doubleLeft, "left");
            expectWithinFilterRounding (right, oldRight, doubleRight, "right");
            if (HasFatalFailure())
                return;
        }
    }
}

TEST (StereoChain, SafeBassTailsSettleToZeroWithoutPassingThroughSubnormals)
{
    // After a signal, silence or a steady offset leaves the high-pass's outputs decaying towards zero; on
    // subnormal numbers every following sample would cost a hundred times more.
    struct Case
    {
        double crossoverHz;
        float left, right;
    };
    const Case cases[] = { { 500.0, 0.0f, 0.0f }, { 500.0, 0.25f, -0.25f }, { 0.45 * 48000.0, 0.0f, 0.0f }, { 10.0, 0.5f, 0.1f } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (::testing::Message() << c.crossoverHz << " Hz, offset " << c.left << " / " << c.right);
        StereoChain chain;
        chain.setSafeBassCoefficients (SafeBassFilter::makeCoefficients (48000.0, c.crossoverHz));
        StereoChainSettings settings;
        settings.safeBass = true;

        std::mt19937 rng (5);
        auto left = noise (rng, 512, 0.9f), right = noise (rng, 512, 0.9f);
        chain.process (left.data(), right.data(), 512, settings, 0.9f, 0.5f);

        // Blocks of every length up to 600, so block ends fall all along the tail.
        for (int frames = 0; frames < 120000;)
        {
            const auto n = 1 + (int) (rng() % 600);
            std::vector<float> l ((size_t) n, c.left), r ((size_t) n, c.right);
            chain.process (l.data(), r.data(), n, settings, 0.9f, 0.5f);
            frames += n;

            const auto& state = chain.getSafeBassState();
            ASSERT_NE (std::fpclassify (state.y1), FP_SUBNORMAL) << "after " << frames << " frames";
            ASSERT_NE (std::fpclassify (state.y2), FP_SUBNORMAL) << "after " << frames << " frames";
            for (int i = 0; i < n; ++i)
                ASSERT_TRUE (std::fpclassify (l[(size_t) i]) != FP_SUBNORMAL && std::fpclassify (r[(size_t) i]) != FP_SUBNORMAL);
        }

        // The 10 Hz tail takes longer than this to reach the settling point; the others are at rest.
        if (c.crossoverHz > 10.0)
        {
            EXPECT_EQ (chain.getSafeBassState().y1, 0.0);
            EXPECT_EQ (chain.getSafeBassState().y2, 0.0);
        }
    }
}

TEST (StereoChain, PrepareToPlayStartsTheSafeBassFilterFromRest)
{
    // After a stop and restart, a processor must sound like a fresh one, not carry the old filter state.
    for (const auto rate : { 44100.0, 96000.0 })
    {
        Harness used (rate), fresh (rate);
        auto v = cm::defaults();
        v[cm::SafeBass] = 1.0f;
        v[cm::SafeBassFreq] = 0.5f;
        used.set (v);
        fresh.set (v);

        std::mt19937 rng (21);
        auto l0 = noise (rng, 512, 0.9f), r0 = noise (rng, 512, -0.9f);
        used.run (l0, r0);
        used.processor.prepareToPlay (rate, 1024);

        auto left = noise (rng, 256, 0.5f), right = noise (rng, 256, 0.5f);
        auto freshLeft = left, freshRight = right;
        used.run (left, right);
        fresh.run (freshLeft, freshRight);

        for (size_t i = 0; i < left.size(); ++i)
        {
            ASSERT_EQ (left[i], freshLeft[i]) << rate << " sample " << i;
            ASSERT_EQ (right[i], freshRight[i]) << rate << " sample " << i;
        }
    }
}

TEST (StereoChain, EveryValueTheStageMapsDependOnIsFollowedFromBlockToBlock)
{
    // Stage maps are kept from block to block while nothing moves; a change of any one of these values
    // alone must still reach the next block.
    struct Change
    {
        int index;
        float a, b;
    };
    const Change changes[] = {
        { cm::InputGain, 0.5f, 0.8f },
        { cm::OutputGain, 0.5f, 0.2f },
        { cm::SwapLR, 0.0f, 1.0f },
        { cm::PhaseFlip, 0.0f, 1.0f },
        { cm::Mono, 0.0f, 1.0f },
        { cm::MuteAll, 0.0f, 1.0f },
        { cm::MuteMid, 0.0f, 1.0f },
        { cm::MuteSide, 0.0f, 1.0f },
        { cm::PanCurve, 0.1f, 0.2f },
        { cm::PanCurve, 0.1f, 0.0f },
        { cm::PanLaw, 0.0f, 0.2f },
        { cm::MsMode, 0.0f, 0.1f },
        { cm::PanMode, 0.1f, 0.0f },
        { cm::StereoWidth, 0.3f, 0.9f },
        { cm::Pan, 0.3f, 0.7f },
        { cm::SafeBass, 0.0f, 1.0f },
        { cm::StereoWidth, 0.0f, -0.0f },
        { cm::Pan, 0.5f, 0.5000001f },
    };

    std::mt19937 rng (31);
    for (const auto& change : changes)
        for (const bool safeBass : { false, true })
        {
            Harness h (48000.0);
            cm::Model model (48000.0);
            auto v = cm::defaults();
            v[cm::Pan] = 0.35f;
            v[cm::StereoWidth] = 0.7f;
            v[cm::PanLaw] = 0.1f;
            v[cm::SafeBass] = safeBass ? 1.0f : 0.0f;

            for (int block = 0; block < 5; ++block)
            {
                v[(size_t) change.index] = block % 2 == 0 ? change.a : change.b;
                const auto n = 4 + (int) (rng() % 200);
                auto left = noise (rng, n, 0.7f), right = noise (rng, n, 0.7f);
                auto ml = left, mr = right;
                h.set (v);
                h.run (left, right);
                model.processBlock (ml.data(), mr.data(), n, v);

                SCOPED_TRACE (::testing::Message() << "parameter " << change.index << " at " << v[(size_t) change.index] << ", block " << block << ", safe bass " << safeBass);
                const auto relative = relativeTolerance (safeBass || change.index == cm::SafeBass, 48000.0, v[cm::SafeBassFreq], insideGainOf (v));
                expectClose (left, ml, "left", block, relative);
                expectClose (right, mr, "right", block, relative);
                if (HasFatalFailure())
                    return;
            }
        }
}

TEST (StereoChain, InputPeaksFollowGainSwapPolarityAndMonoIncludingExtremeSamples)
{
    // When the input stage only scales or exchanges the channels, its peaks are derived from the input's
    // own; every combination, a silencing gain and infinite samples must give the model's peaks.
    struct Case
    {
        float inputGain, swap, flip, mono;
    };
    std::vector<Case> cases;
    for (const auto gain : { 0.5f, 0.0f, 1.0f, 0.77f, -100.0f })
        for (const auto swap : { 0.0f, 1.0f })
            for (const auto flip : { 0.0f, 1.0f })
                for (const auto mono : { 0.0f, 1.0f })
                    cases.push_back ({ gain, swap, flip, mono });

    std::mt19937 rng (41);
    for (const auto& c : cases)
        for (const bool extreme : { false, true })
        {
            Harness h (48000.0);
            cm::Model model (48000.0);
            auto v = cm::defaults();
            v[cm::InputGain] = c.inputGain;
            v[cm::SwapLR] = c.swap;
            v[cm::PhaseFlip] = c.flip;
            v[cm::Mono] = c.mono;
            h.set (v);

            // Lengths that end in the scalar tail as well as whole groups of four.
            const auto n = 1 + (int) (rng() % 37);
            auto left = noise (rng, n, 0.3f), right = noise (rng, n, 0.6f);
            if (extreme)
            {
                left[(size_t) (rng() % (unsigned) n)] = std::numeric_limits<float>::infinity();
                right[(size_t) (rng() % (unsigned) n)] = -std::numeric_limits<float>::infinity();
            }
            auto ml = left, mr = right;
            h.run (left, right);
            const auto expected = model.processBlock (ml.data(), mr.data(), n, v);

            SCOPED_TRACE (::testing::Message() << "gain " << c.inputGain << ", swap " << c.swap << ", flip " << c.flip << ", mono " << c.mono << ", extreme " << extreme << ", n " << n);
            const auto near = [] (float actual, float wanted)
            {
                if (std::isinf (wanted))
                    return actual == wanted;
                return std::abs (actual - wanted) <= 2.0e-5f * std::max (1.0f, wanted);
            };
            EXPECT_PRED2 (near, h.processor.takeInputPeakLeft(), expected.inL);
            EXPECT_PRED2 (near, h.processor.takeInputPeakRight(), expected.inR);
            if (! extreme)
            {
                EXPECT_PRED2 (near, h.processor.takeOutputPeakLeft(), expected.outL);
                EXPECT_PRED2 (near, h.processor.takeOutputPeakRight(), expected.outR);
            }
        }
}
