#pragma once

#include <string>

namespace app {

// The mask every password character is combined with by exclusive-or.
inline constexpr unsigned char kPasswordMask = 0xD5;

// The scrambled form of one character; applied twice it gives the character
// back.
char ScramblePassword(char c);

// Every character of text scrambled, the length unchanged. Applied twice it
// gives text back.
std::string ScramblePassword(const std::string& text);

// The value to store under EMAIL Password for password. It is the scrambled
// password itself, except where that cannot be held in a settings line
// (it contains NUL, LF or CR: the password contains 0xD5, 0xDF or 0xD8) or
// could be mistaken for the escaped form below (it starts with 0xD5: the
// password starts with NUL). Such a password is stored escaped:
//
//   0xD5 followed by the scrambled password in lower-case hexadecimal,
//
// which holds only line-safe characters. Only a password that starts with
// a NUL character scrambles to a value starting with 0xD5, and such a
// password always takes the escaped form, so the scrambled form of every
// other password is never mistaken for an escaped one.
std::string EncodeStoredPassword(const std::string& password);

// The password from a stored value: the escaped form when stored starts with
// 0xD5 followed by a non-empty, even number of lower-case hexadecimal
// digits, otherwise the stored value scrambled back character by character.
std::string DecodeStoredPassword(const std::string& stored);

}  // namespace app
