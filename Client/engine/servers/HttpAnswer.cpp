#include "engine/servers/HttpAnswer.h"

#include <charconv>
#include <string_view>

#include "base/runtime/StrUtil.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool NameIs(const std::string& line, std::size_t nameLength, const char* name) {
    return StrUtil::EqualsIgnoringCase(std::string_view(line).substr(0, nameLength), name);
}

// A version token starting "HTTP/", then the status as an unsigned decimal; the rest
// of the line does not count.
bool IsOkStatusLine(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t token = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i - token < 5 || line.compare(token, 5, "HTTP/") != 0) return false;
    while (i < line.size() && IsBlank(line[i])) ++i;
    unsigned status = 0;
    const auto [end, error] = std::from_chars(line.data() + i, line.data() + line.size(), status);
    return error == std::errc() && end != line.data() + i && status == 200;
}

}  // namespace

HttpAnswer::Result HttpAnswer::Decide(Result result) {
    part_ = Part::Decided;
    decided_ = result;
    head_.clear();
    return result;
}

HttpAnswer::Result HttpAnswer::Feed(const char* data, std::size_t length) {
    if (part_ == Part::Decided) return decided_;
    if (part_ == Part::Body) return AppendBody(data, length);
    head_.append(data, length);
    return TakeHeadLines();
}

HttpAnswer::Result HttpAnswer::TakeHeadLines() {
    std::size_t start = 0;
    while (part_ != Part::Body) {
        const std::size_t newline = head_.find('\n', start);
        if (newline == std::string::npos) break;
        headBytes_ += newline + 1 - start;
        if (headBytes_ > kMaxHeadBytes) return Decide(Result::Broken);
        std::string line = head_.substr(start, newline - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = newline + 1;
        if (part_ == Part::StatusLine) {
            if (!IsOkStatusLine(line)) return Decide(Result::BadStatus);
            part_ = Part::Headers;
        } else if (line.empty()) {
            part_ = Part::Body;
        } else if (!TakeHeader(line)) {
            return Decide(Result::Broken);
        }
    }
    if (part_ == Part::Body) {
        // Body bytes that came with the head are the body's first bytes.
        const std::string rest = head_.substr(start);
        head_.clear();
        return AppendBody(rest.data(), rest.size());
    }
    head_.erase(0, start);
    if (headBytes_ + head_.size() > kMaxHeadBytes) return Decide(Result::Broken);
    return Result::Reading;
}

// Only the body's length matters here; a length the answer cannot be checked against
// makes it unusable.
bool HttpAnswer::TakeHeader(const std::string& line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || !NameIs(line, colon, "content-length")) return true;
    std::size_t first = colon + 1, last = line.size();
    while (first < last && (line[first] == ' ' || line[first] == '\t')) ++first;
    while (last > first && (line[last - 1] == ' ' || line[last - 1] == '\t')) --last;
    std::uint64_t length = 0;
    const auto [end, error] = std::from_chars(line.data() + first, line.data() + last, length);
    if (error != std::errc() || end != line.data() + last || first == last) return false;
    if (hasLength_ && length != length_) return false;
    hasLength_ = true;
    length_ = length;
    return true;
}

HttpAnswer::Result HttpAnswer::AppendBody(const char* data, std::size_t length) {
    const std::uint64_t total = body_.size() + static_cast<std::uint64_t>(length);
    if (total > kMaxBodyBytes || (hasLength_ && total > length_)) {
        body_.clear();
        return Decide(Result::Broken);
    }
    body_.append(data, length);
    return Result::Reading;
}

HttpAnswer::Result HttpAnswer::End() {
    if (part_ == Part::Decided) return decided_;
    if (part_ != Part::Body || (hasLength_ && body_.size() != length_)) {
        body_.clear();
        return Decide(Result::Broken);
    }
    return Decide(Result::Complete);
}
