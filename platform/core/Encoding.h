#pragma once
// Text is UTF-8 inside the program; code page 932 (Shift_JIS with the Windows
// extensions) only at file boundaries and wherever a length is counted in bytes.
#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 to code page 932. A character that code page 932 lacks becomes "?".
std::string Utf8ToCp932(std::string_view utf8);
// The same, counting in `replaced` the characters that became "?" because code
// page 932 lacks them (a "?" of the text itself is not counted).
std::string Utf8ToCp932(std::string_view utf8, std::size_t &replaced);
// The characters of the text that code page 932 writes as another character,
// which is what then reads back: "¥" as "\", "‾" as "~", and the few it drops.
// Those it writes as the same character in its usual form ("〜" as "～", "−"
// as "－", "¢" as "￠") are not counted, nor those it lacks.
std::size_t Cp932ChangedCharacters(std::string_view utf8);
// The text with every byte that is not part of well-formed UTF-8 replaced by "?".
std::string RepairUtf8(std::string_view text);
// Code page 932 to UTF-8. A byte sequence that is not code page 932 becomes "?"
// (one per offending byte), so that a damaged file still reads.
std::string Cp932ToUtf8(std::string_view cp932);
// Number of bytes the text takes in code page 932.
std::size_t Cp932Length(std::string_view utf8);
// True when the byte is the first byte of a two-byte code page 932 character.
bool IsCp932LeadByte(unsigned char byte);
// True when the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
// True when every byte is plain ASCII.
bool IsAscii(std::string_view text);
// True when the bytes are UTF-8 text that is not plain ASCII (plain ASCII
// reads the same either way): how a file that names no encoding is told from
// code page 932.
bool HoldsUtf8Characters(std::string_view bytes);
// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view utf8);
// The text as it is when it has at most `maxBytes` bytes; else its first
// characters that fit in `maxBytes` followed by "…", for messages.
std::string ShortenUtf8(std::string_view utf8, std::size_t maxBytes);
