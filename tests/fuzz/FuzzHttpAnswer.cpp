// Arbitrary bytes as an HTTP answer, fed whole and fed in pieces of a size the first
// byte chooses: the two readings must agree, since the network may cut an answer
// anywhere.
#include <cstddef>
#include <cstdint>

#include "engine/servers/HttpAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = 1 + data[0] % 17;
    const char* text = reinterpret_cast<const char*>(data + 1);
    --size;

    HttpAnswer whole;
    HttpAnswer::Result wholeResult = whole.Feed(text, size);
    if (wholeResult == HttpAnswer::Result::Reading) wholeResult = whole.End();

    HttpAnswer pieces;
    HttpAnswer::Result piecesResult = HttpAnswer::Result::Reading;
    for (std::size_t at = 0; at < size && piecesResult == HttpAnswer::Result::Reading; at += piece)
        piecesResult = pieces.Feed(text + at, size - at < piece ? size - at : piece);
    if (piecesResult == HttpAnswer::Result::Reading) piecesResult = pieces.End();

    if (wholeResult != piecesResult || whole.Body() != pieces.Body()) __builtin_trap();
    if (wholeResult == HttpAnswer::Result::Complete && whole.Body().size() > HttpAnswer::kMaxBodyBytes) __builtin_trap();
    return 0;
}
