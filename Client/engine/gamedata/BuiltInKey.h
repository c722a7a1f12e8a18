#pragma once
// The public key (DER RSAPublicKey) built into the program for signed version files.
#include <cstddef>

namespace Game {
const unsigned char* BuiltInKey();
std::size_t BuiltInKeyLength();
}  // namespace Game
