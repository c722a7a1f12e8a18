#pragma once
// The password handed to the game in "a_password": its UTF-16 units packed into
// 32-bit words, enciphered with XXTEA under a key made from the launcher's process id,
// and written as upper-case hexadecimal. The game, a child of the launcher, rebuilds
// the key from its parent's process id (docs/game-start.md gives the derivation).
#include <array>
#include <cstdint>
#include <sys/types.h>
#include <vector>

#include "base/runtime/String.h"

namespace PasswordCipher {

using Key = std::array<std::uint32_t, 4>;

// k[i] = Mix32(pid + (i + 1) * 0x9E3779B9), all modulo 2^32, where Mix32 is the
// finaliser of MurmurHash3.
Key KeyForProcess(pid_t processId);

// max(2, (units + 1) / 2) words; word i holds unit 2i in its low half and unit 2i + 1
// in its high half, the rest zeros.
std::vector<std::uint32_t> PackTextWords(const WideString& text);

// XXTEA's enciphering direction over at least two words, with one difference from
// the published algorithm: the shifts z >> 5 and y >> 3 are arithmetic shifts of the
// words taken as signed.
void EncipherWords(const Key& key, std::vector<std::uint32_t>& words);

// Each word as eight upper-case hexadecimal digits, in order.
WideString WordsToHex(const std::vector<std::uint32_t>& words);

WideString Encipher(const WideString& password, const Key& key);

}  // namespace PasswordCipher

// The password as the game receives it from this launcher process.
WideString EncipherPassword(const WideString& password);
