#pragma once

#include "editor/MainEditorComponent.h"
#include "editor/WydenzaAudioProcessorEditor.h"
#include "processor/WydenzaAudioProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace editortests
{
/** Finds a descendant by component name (the first one, depth first), or null. */
template <typename ComponentType = juce::Component>
ComponentType* findChild (juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
    {
        if (child->getName() == name)
            if (auto* typed = dynamic_cast<ComponentType*> (child))
                return typed;

        if (auto* found = findChild<ComponentType> (*child, name))
            return found;
    }

    return nullptr;
}

/** A fresh, empty home and config folder for each test, so that presets and settings never carry over. */
struct FreshHome
{
    FreshHome()
    {
        folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("wydenza-editor-test", "", false);
        folder.getChildFile (".config").createDirectory();
        ::setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);
        ::setenv ("XDG_CONFIG_HOME", folder.getChildFile (".config").getFullPathName().toRawUTF8(), 1);
    }

    ~FreshHome() { folder.deleteRecursively(); }

    juce::File folder;
};

/**
    A processor with its editor open in a real window on the (virtual) display. Mouse and keys go in
    through the window's peer, the way the windowing system delivers them, so hit-testing, focus,
    double-click timing and the framework's own button and slider logic all take part.
*/
class EditorFixture : public ::testing::Test,
                      public FreshHome
{
public:
    EditorFixture()
    {
        editor.reset (dynamic_cast<WydenzaAudioProcessorEditor*> (processor.createEditorIfNeeded()));
        EXPECT_NE (editor, nullptr);
        editor->setTopLeftPosition (0, 0);
        editor->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
        editor->setVisible (true);
        editor->toFront (true);
        pumpMessages (50);

        // Typing needs the window to hold the keyboard focus; on a busy machine the server grants it late.
        for (auto tries = 0; tries < 100 && ! editor->getPeer()->isFocused(); ++tries)
        {
            editor->getPeer()->grabFocus();
            pumpMessages (20);
        }

        EXPECT_TRUE (editor->getPeer()->isFocused());
    }

    ~EditorFixture() override { editor.reset(); }

    static void pumpMessages (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    MainEditorComponent& panel() { return *editor->getMainPanel(); }

    template <typename ComponentType = juce::Component>
    ComponentType& find (const juce::String& name)
    {
        auto* c = findChild<ComponentType> (*editor, name);

        if (c == nullptr)
        {
            ADD_FAILURE() << "no component named " << name;
            throw std::runtime_error ("missing component");
        }

        return *c;
    }

    /** One tick of the editor's 70 ms timer. */
    void tick() { editor->timerCallback(); }

    float value (const char* name) const { return processor.getParameterSet().getValueByName (name); }

    /** The host sets a parameter by index, as automation does. */
    void hostSets (const char* name, float v) { processor.setParameter (processor.getParameterSet().indexOf (name), v); }

    //==============================================================================
    juce::Point<float> centreOf (juce::Component& c) const
    {
        return editor->getLocalPoint (&c, c.getLocalBounds().getCentre()).toFloat();
    }

    void mouse (juce::Point<float> where, juce::ModifierKeys mods)
    {
        eventTime += 20;
        editor->getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, where, mods, juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation, eventTime);
    }

    void moveTo (juce::Component& c) { mouse (centreOf (c), {}); }

    void click (juce::Component& c, juce::ModifierKeys mods = {})
    {
        const auto at = centreOf (c);
        mouse (at, mods);
        mouse (at, mods.withFlags (juce::ModifierKeys::leftButtonModifier));
        mouse (at, mods);
        eventTime += 1000; // the next click is a new one, never the second of a double-click
    }

    void doubleClick (juce::Component& c)
    {
        const auto at = centreOf (c);
        const auto down = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier);

        for (auto i = 0; i < 2; ++i)
        {
            mouse (at, {});
            mouse (at, down);
            mouse (at, {});
        }

        eventTime += 1000;
    }

    /** Presses on a knob, drags the pointer up by each of the steps in turn (in pixels), and releases only when asked. */
    void pressAndDrag (juce::Component& c, std::initializer_list<float> ups)
    {
        const auto at = centreOf (c);
        const auto down = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier);
        mouse (at, {});
        mouse (at, down);

        for (auto up : ups)
            mouse (at.translated (0.0f, -up), down);
    }

    void release()
    {
        mouse (lastMouse(), {});
        eventTime += 1000;
    }

    juce::Point<float> lastMouse() const
    {
        return editor->getLocalPoint (nullptr, juce::Desktop::getInstance().getMainMouseSource().getScreenPosition()).toFloat();
    }

    /** Types text into whatever has the keyboard focus, then Return (which a text editor answers with a
        message of its own, so the message loop runs briefly).
    */
    void type (const juce::String& text)
    {
        EXPECT_NE (juce::Component::getCurrentlyFocusedComponent(), nullptr) << "nothing has the keyboard focus";

        for (auto c : text)
            editor->getPeer()->handleKeyPress (juce::KeyPress ((int) c, {}, c));

        editor->getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::returnKey));
        pumpMessages (30);
    }

    WydenzaAudioProcessor processor;
    std::unique_ptr<WydenzaAudioProcessorEditor> editor;
    juce::int64 eventTime = juce::Time::currentTimeMillis();
};
} // namespace editortests
