#pragma once
// Answers the requests of one URI scheme (such as vfs:) from inside the program.
#include <memory>
#include <string>

struct UriSchemeResponse {
    bool found = false;
    std::shared_ptr<const std::string> body;  // immutable; every request reads it from its start
    std::string mimeType;
    std::string error;  // why nothing was found
};

class IUriSchemeHandler {
public:
    virtual ~IUriSchemeHandler() = default;
    // The whole request URI, as the view sends it.
    virtual UriSchemeResponse Handle(const std::string& uri) = 0;
};
