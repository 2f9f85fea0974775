#pragma once
// SHA-256 (FIPS 180-4) of a byte string, written out here so that SetUp.exe
// needs no cryptography DLL for its font digests.
#include <string>
#include <string_view>

// The digest as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view data);
