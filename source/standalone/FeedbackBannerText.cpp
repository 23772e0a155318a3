#include "FeedbackBannerText.h"

FeedbackBannerText::FeedbackBannerText (juce::Component& standaloneWindow)
    : window (standaloneWindow)
{
    setText();
    window.addComponentListener (this);
}

FeedbackBannerText::~FeedbackBannerText()
{
    window.removeComponentListener (this);
}

void FeedbackBannerText::setText()
{
    // Window, content, banner, label: the banner is a child of the content, beside the editor.
    for (auto* content : window.getChildren())
        for (auto* area : content->getChildren())
            for (auto* child : area->getChildren())
                if (auto* label = dynamic_cast<juce::Label*> (child); label != nullptr && label->getName() == "notification")
                    label->setText (text, juce::dontSendNotification);
}

void FeedbackBannerText::componentChildrenChanged (juce::Component&)
{
    setText();
}
