#pragma once

#include <juce_core/juce_core.h>

#include <mutex>

/** A text that the message thread writes while a host thread may read it (a host saves its project on
    whatever thread it likes). A juce::String copied on one thread while another assigns it races on its
    shared buffer; this hands out copies under a lock. Never used on the audio thread.
*/
class SharedText
{
public:
    SharedText() = default;
    SharedText (const SharedText&) = delete;
    SharedText& operator= (const SharedText&) = delete;

    SharedText& operator= (const juce::String& newText)
    {
        const std::lock_guard<std::mutex> guard (lock);
        text = newText;
        return *this;
    }

    juce::String get() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return text;
    }

    operator juce::String() const { return get(); }

    friend bool operator== (const SharedText& a, const juce::String& b) { return a.get() == b; }
    friend bool operator== (const SharedText& a, const char* b) { return a.get() == b; }
    friend bool operator== (const SharedText& a, const SharedText& b) { return a.get() == b.get(); }
    friend std::ostream& operator<< (std::ostream& stream, const SharedText& t) { return stream << t.get(); }

private:
    mutable std::mutex lock;
    juce::String text;
};
