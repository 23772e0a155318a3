#pragma once

#include <optional>

/** EBU R128 figures of one stereo signal. An empty figure is "no reading": silence, or a signal too short
    for the figure's window (400 ms for the integrated loudness and the momentary maximum, 3 s for the
    loudness range and the short-term maximum). Nothing here is ever infinite or NaN. */
struct LoudnessResult
{
    /** Gated integrated loudness, LUFS. */
    std::optional<double> integratedLufs;
    /** Loudness range, LU. */
    std::optional<double> rangeLu;
    /** Highest momentary (400 ms) and short-term (3 s) loudness, read every 10 ms, LUFS. */
    std::optional<double> maxMomentaryLufs, maxShortTermLufs;
    /** Highest true peak per channel (4x oversampled below 96 kHz, 2x below 192 kHz), dBTP. */
    std::optional<double> truePeakLeftDbtp, truePeakRightDbtp;
    /** Integrated loudness of the mono fold-down (L + R) / 2 played on both channels, LUFS. */
    std::optional<double> monoIntegratedLufs;

    /** What folding down to mono changes: the mono fold-down's loudness minus the stereo loudness, LU. */
    std::optional<double> monoFoldDownLu() const noexcept
    {
        if (integratedLufs.has_value() && monoIntegratedLufs.has_value())
            return *monoIntegratedLufs - *integratedLufs;
        return {};
    }

    std::optional<double> largestTruePeakDbtp() const noexcept
    {
        if (! truePeakLeftDbtp.has_value() || ! truePeakRightDbtp.has_value())
            return truePeakLeftDbtp.has_value() ? truePeakLeftDbtp : truePeakRightDbtp;
        return *truePeakLeftDbtp > *truePeakRightDbtp ? truePeakLeftDbtp : truePeakRightDbtp;
    }
};
