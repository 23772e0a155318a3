#include "Lv2EditorWindow.h"

#include "Lv2Features.h"
#include "Lv2PluginInstance.h"
#include "Lv2PortLayout.h"
#include "processor/WydenzaAudioProcessor.h"

Lv2EditorWindow::Lv2EditorWindow (Lv2PluginInstance* pluginToEdit, const HostFeatures& hostFeatures)
    : plugin (pluginToEdit),
      host (hostFeatures)
{
    if (plugin != nullptr)
        editor.reset (plugin->getProcessor().createEditorIfNeeded());

    if (editor == nullptr)
        notice = std::make_unique<Lv2ForeignInstanceNotice>();

    if (editor != nullptr && host.scaleFactor.has_value())
        editor->setScaleFactor (*host.scaleFactor);

    const auto area = getLocalArea (&getContent(), getContent().getLocalBounds());
    setSize (area.getWidth(), area.getHeight());
    addAndMakeVisible (getContent());
    setOpaque (true);
    addToDesktop (0, host.parentWindow);
    getContent().addComponentListener (this);
    setVisible (true);

    if (editor != nullptr)
    {
        plugin->getProcessor().addListener (this);
        // Values changed before the editor opened (a restored state, say) reach the host at once.
        timerCallback();
        startTimerHz (30);
    }

    requestHostResize();
}

Lv2EditorWindow::~Lv2EditorWindow()
{
    stopTimer();
    getContent().removeComponentListener (this);

    if (editor != nullptr)
    {
        plugin->getProcessor().removeListener (this);
        plugin->getProcessor().editorBeingDeleted (editor.get());
        editor.reset();
    }

    notice.reset();
    removeFromDesktop();
}

juce::Component& Lv2EditorWindow::getContent() const
{
    return editor != nullptr ? static_cast<juce::Component&> (*editor) : static_cast<juce::Component&> (*notice);
}

int Lv2EditorWindow::resizeFromHost (int width, int height)
{
    const juce::ScopedValueSetter<bool> fromHost (resizingFromHost, true);
    setSize (juce::jmax (1, width), juce::jmax (1, height));
    return 0;
}

void Lv2EditorWindow::applyOptions (const LV2_Options_Option* options)
{
    const auto newScale = Lv2Features::findScaleFactor (options, host.map);

    if (! newScale.has_value())
        return;

    host.scaleFactor = newScale;

    if (editor != nullptr)
        editor->setScaleFactor (*newScale);

    requestHostResize();
}

void Lv2EditorWindow::resized()
{
    const juce::ScopedValueSetter<bool> fromHost (resizingFromHost, true);

    // The editor fits its panel into whatever frame the host gives it.
    if (editor != nullptr)
    {
        const auto area = editor->getLocalArea (this, getLocalBounds());
        editor->setBoundsConstrained ({ area.getWidth(), area.getHeight() });
    }
    else
    {
        notice->setBounds (getLocalBounds());
    }
}

void Lv2EditorWindow::componentMovedOrResized (juce::Component&, bool, bool wasResized)
{
    if (wasResized && ! resizingFromHost)
        requestHostResize();
}

void Lv2EditorWindow::requestHostResize()
{
    const auto area = getLocalArea (&getContent(), getContent().getLocalBounds());

    if (host.resize != nullptr && host.resize->ui_resize != nullptr)
        host.resize->ui_resize (host.resize->handle, area.getWidth(), area.getHeight());

    const juce::ScopedValueSetter<bool> fromHost (resizingFromHost, true);
    setSize (area.getWidth(), area.getHeight());
}

void Lv2EditorWindow::timerCallback()
{
    if (plugin == nullptr || host.write == nullptr)
        return;

    plugin->getParameterPorts().forEachValueTheHostLacks ([this] (int parameterIndex, float value)
                                                          { host.write (host.controller, Lv2PortLayout::forParameter (parameterIndex), sizeof (float), 0, &value); });
}

void Lv2EditorWindow::touch (int parameterIndex, bool grabbed)
{
    // Only the host's UI thread may call the host; a gesture from elsewhere is not the editor's.
    if (host.touch == nullptr || host.touch->touch == nullptr || ! juce::MessageManager::existsAndIsCurrentThread()
        || ! juce::isPositiveAndBelow (parameterIndex, plugin->getParameterPorts().size()))
        return;

    // The values go first, so that the host records them inside the touch.
    timerCallback();
    host.touch->touch (host.touch->handle, Lv2PortLayout::forParameter (parameterIndex), grabbed);
}
