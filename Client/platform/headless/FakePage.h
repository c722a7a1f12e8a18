#pragma once
// A page written in C++ for the headless view: it stands in for the page's script,
// answering calls and sending commands the way the real page would.
#include <string>

class HeadlessPageView;

class IFakePage {
public:
    virtual ~IFakePage() = default;

    // The document was fetched; the view reports the finished load after this returns.
    virtual void OnLoaded(HeadlessPageView& view, const std::string& uri, const std::string& body) {
        (void)view, (void)uri, (void)body;
    }
    // A script call from the program; false (with an error text) when the page has no
    // such function or it threw.
    virtual bool OnCall(HeadlessPageView& view, const std::string& function, const std::string& jsonArguments,
                        std::string& error) = 0;
};
