# The editor's widgets and look-and-feel, compiled into the shared-code library.
list(APPEND WYDENZA_EXTRA_SOURCES
    source/widgets/Palette.h
    source/widgets/FittedText.cpp
    source/widgets/CvxQ7LookAndFeelV1.cpp
    source/widgets/CvxRotarySlider.cpp
    source/widgets/CvxPresetNameLabel.cpp
    source/widgets/CvxQ7VuMeter.cpp
    source/widgets/CvxQ7StereoVuMeterComponent.cpp
    source/widgets/SignalScope.cpp
    source/widgets/StereoComponent.cpp
    source/widgets/InfoComponent.cpp)
