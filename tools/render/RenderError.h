#pragma once

#include <juce_core/juce_core.h>

#include <stdexcept>

/** Why a file could not be rendered or analysed, in words for the person who asked. */
class RenderError : public std::runtime_error
{
public:
    explicit RenderError (const juce::String& reason) : std::runtime_error (reason.toStdString()) {}

    juce::String getReason() const { return juce::String::fromUTF8 (what()); }
};
