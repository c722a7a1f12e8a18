#pragma once
// One answer of the update server, read as its bytes arrive: the status line, the
// header block and the body, which ends where the server closes the connection.
//
// Everything here comes from the network: the head is capped, the body is capped, and
// a body that does not match the length the server announced is not a document.
// Lines end in "\r\n"; a bare "\n" is taken as a line end too.
#include <cstddef>
#include <cstdint>
#include <string>

class HttpAnswer {
public:
    static constexpr std::size_t kMaxHeadBytes = 64 * 1024;  // the status line and the headers
    static constexpr std::uint64_t kMaxBodyBytes = std::uint64_t{64} << 20;

    enum class Result {
        Reading,    // more bytes are wanted
        BadStatus,  // not an HTTP status line, or a status other than 200
        Broken,     // cut short, over a cap or over its announced length, or an unreadable length
        Complete,   // the connection ended after a whole body
    };

    // Takes the next bytes. Once the answer is decided, the result stays.
    Result Feed(const char* data, std::size_t length);
    // The server closed the connection.
    Result End();

    const std::string& Body() const { return body_; }

private:
    enum class Part { StatusLine, Headers, Body, Decided };

    Result Decide(Result result);
    Result TakeHeadLines();
    bool TakeHeader(const std::string& line);
    Result AppendBody(const char* data, std::size_t length);

    Part part_ = Part::StatusLine;
    Result decided_ = Result::Reading;
    std::string head_;        // head bytes not yet taken as lines
    std::size_t headBytes_ = 0;
    bool hasLength_ = false;
    std::uint64_t length_ = 0;
    std::string body_;
};
