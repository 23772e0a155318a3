#pragma once

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <optional>

/** Reading what a host passes at instantiation, tolerant of how real hosts pass it. */
namespace Lv2Features
{
/** The data of the feature with this URI, or nullptr (also for a null feature list). */
const void* find (const LV2_Feature* const* features, const char* uri) noexcept;

/** An integer option's value. Hosts differ in how they pass one: atom:Int of 4 or 8 bytes, atom:Long,
    even a float; anything else, and a missing option, give nothing. */
std::optional<int64_t> findIntegerOption (const LV2_Options_Option* options, const LV2_URID_Map& map, const char* key) noexcept;

/** The host's UI scale factor (ui:scaleFactor, a positive float), if it gives one. */
std::optional<float> findScaleFactor (const LV2_Options_Option* options, const LV2_URID_Map* map) noexcept;
} // namespace Lv2Features
