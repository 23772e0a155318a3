#include "Lv2Features.h"

#include <lv2/atom/atom.h>
#include <lv2/ui/ui.h>

#include <cmath>
#include <cstring>

const void* Lv2Features::find (const LV2_Feature* const* features, const char* uri) noexcept
{
    for (auto* const* feature = features; feature != nullptr && *feature != nullptr; ++feature)
        if ((*feature)->URI != nullptr && std::strcmp ((*feature)->URI, uri) == 0)
            return (*feature)->data;

    return nullptr;
}

std::optional<int64_t> Lv2Features::findIntegerOption (const LV2_Options_Option* options, const LV2_URID_Map& map, const char* key) noexcept
{
    if (options == nullptr || map.map == nullptr)
        return std::nullopt;

    const auto keyUrid = map.map (map.handle, key);
    const auto intType = map.map (map.handle, LV2_ATOM__Int);
    const auto longType = map.map (map.handle, LV2_ATOM__Long);
    const auto floatType = map.map (map.handle, LV2_ATOM__Float);
    const auto doubleType = map.map (map.handle, LV2_ATOM__Double);

    for (auto* option = options; option->key != 0 || option->value != nullptr; ++option)
    {
        if (option->key != keyUrid || option->value == nullptr)
            continue;

        if (option->type == intType || option->type == longType)
        {
            if (option->size == sizeof (int32_t))
            {
                int32_t value;
                std::memcpy (&value, option->value, sizeof (value));
                return value;
            }

            if (option->size == sizeof (int64_t))
            {
                int64_t value;
                std::memcpy (&value, option->value, sizeof (value));
                return value;
            }
        }
        else if (option->type == floatType && option->size == sizeof (float))
        {
            float value;
            std::memcpy (&value, option->value, sizeof (value));

            if (std::isfinite (value) && std::abs (value) < 1.0e9)
                return (int64_t) value;
        }
        else if (option->type == doubleType && option->size == sizeof (double))
        {
            double value;
            std::memcpy (&value, option->value, sizeof (value));

            if (std::isfinite (value) && std::abs (value) < 1.0e9)
                return (int64_t) value;
        }
    }

    return std::nullopt;
}

std::optional<float> Lv2Features::findScaleFactor (const LV2_Options_Option* options, const LV2_URID_Map* map) noexcept
{
    if (options == nullptr || map == nullptr || map->map == nullptr)
        return std::nullopt;

    const auto key = map->map (map->handle, LV2_UI__scaleFactor);
    const auto floatType = map->map (map->handle, LV2_ATOM__Float);

    for (auto* option = options; option->key != 0 || option->value != nullptr; ++option)
    {
        if (option->key != key || option->type != floatType || option->size != sizeof (float) || option->value == nullptr)
            continue;

        float scale;
        std::memcpy (&scale, option->value, sizeof (scale));

        if (std::isfinite (scale) && scale > 0.0f)
            return scale;
    }

    return std::nullopt;
}
