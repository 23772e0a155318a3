#include "PresetNameOrder.h"

#include <algorithm>

namespace
{
bool isDigit (juce::juce_wchar c) noexcept
{
    return c >= '0' && c <= '9';
}

/** Compares the digit runs at a and b by their value and moves both past them; leading zeros do not
    count here (the exact comparison decides between "07" and "7").
*/
int compareNumbers (juce::String::CharPointerType& a, juce::String::CharPointerType& b) noexcept
{
    while (*a == '0')
        ++a;

    while (*b == '0')
        ++b;

    auto result = 0;
    auto lengthA = 0, lengthB = 0;

    for (;; ++a, ++b, ++lengthA, ++lengthB)
    {
        const auto digitA = isDigit (*a), digitB = isDigit (*b);

        if (! digitA || ! digitB)
        {
            // The longer run is the larger number; with equal lengths the first differing digit decides.
            for (; isDigit (*a); ++a)
                ++lengthA;

            for (; isDigit (*b); ++b)
                ++lengthB;

            return lengthA != lengthB ? (lengthA < lengthB ? -1 : 1) : result;
        }

        if (result == 0 && *a != *b)
            result = *a < *b ? -1 : 1;
    }
}
} // namespace

int PresetNameOrder::compare (const juce::String& first, const juce::String& second) noexcept
{
    auto a = first.getCharPointer();
    auto b = second.getCharPointer();

    for (;;)
    {
        if (isDigit (*a) && isDigit (*b))
        {
            if (const auto byNumber = compareNumbers (a, b); byNumber != 0)
                return byNumber;

            continue;
        }

        const auto charA = juce::CharacterFunctions::toLowerCase (*a);
        const auto charB = juce::CharacterFunctions::toLowerCase (*b);

        if (charA != charB)
            return charA < charB ? -1 : 1;

        if (charA == 0)
            break;

        ++a;
        ++b;
    }

    return first.compare (second);
}

void PresetNameOrder::sort (juce::StringArray& names)
{
    std::sort (names.begin(), names.end(), lessThan);
}
