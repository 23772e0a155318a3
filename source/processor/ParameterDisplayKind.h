#pragma once

/** Selects how a parameter's normalised value is shown as text and how typed text is read back. */
enum class ParameterDisplayKind
{
    widthPercent,
    panPosition,
    gainDecibels,
    bassFrequency,
    bypassSwitch,
    swapSwitch,
    phaseSwitch,
    monoSwitch,
    muteAllSwitch,
    muteMidSwitch,
    muteSideSwitch,
    safeBassSwitch,
    panCurveChoice,
    panLawChoice,
    msModeChoice,
    panModeChoice
};
