#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// From 1-based `pos`, skips blanks; returns the run of non-blank characters
// and leaves `pos` on the first position after it. When the line ends first,
// returns "" with `pos` past the end. A '\r' counts as a blank, so the CR of
// a CR LF line never becomes part of a word.
std::string NextWord(const std::string& line, int& pos);

// As NextWord, but a word also ends before a character above 126; `pos` is
// then left on that character (the paired-comparison readers).
std::string NextWordAscii(const std::string& line, int& pos);

// True when every character lies in 32..126 (true for "").
bool IsPrintableText(const std::string& text);

// Same non-zero length and equal after upper-casing a..z; "" never equals "".
bool SameTextNoCase(const std::string& a, const std::string& b);

// True when the upper-cased text is exactly "LOG" (no trimming).
bool IsLogScale(const std::string& scale);

// "LOG" or "UNI" in any case is stored as given; any other non-empty word
// stores "LOG"; an empty word leaves `scale` unchanged.
void NormaliseScale(const std::string& word, std::string& scale);

// Shorter: padded with blanks on the right to `width`. Exactly `width`: kept.
// Longer: loses its leading blanks, then is cut to `width` (padded if fewer
// remain). A number (after trimming: optional sign, digits with at most one
// '.' or ',', optional exponent) is never cut: it loses only as many blanks
// as needed (leading first, then trailing) and otherwise keeps its full text.
void FitToWidth(std::string& text, int width);

// Strip characters <= ' ' (blanks and control characters).
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);

// Copy(s, pos, count): up to `count` bytes from 1-based `pos`; fewer where s ends first, ""
// when pos lies past the end.
std::string CopyText(const std::string& s, int pos, int count);

// True when the text is well-formed UTF-8 (no cut, overlong or surrogate sequence, nothing above
// U+10FFFF); U+FFFD and a leading byte-order mark are characters like any other. The one rule of
// which case text is UTF-8: such text is shown as UTF-8 and cut between characters, other text
// is Latin-1, a character a byte.
bool IsUtf8(std::string_view text);

// The first n bytes of s (all of s when shorter).
std::string CutTo(const std::string& s, std::size_t n);
// The text cut to at most n bytes, as a field of n characters holds it; where the cut would
// split a character of a text that is UTF-8, it goes before that character, so that the field
// does not end in half a letter (shown as garbage, and no longer UTF-8). Other text (Latin-1)
// is cut at n bytes.
std::string CutToCharacters(const std::string& text, std::size_t n);
// How many bytes of the text that cut keeps.
std::size_t CharacterCutLength(std::string_view text, std::size_t n);

// a..z upper-cased; every other byte unchanged.
std::string UpperCaseAscii(const std::string& s);

// Evaluated in extended precision on the 32-bit arguments.
// NearlyEqual: |b - a| < |1e-9 * b|, or < 1e-16 (a 32-bit constant) when b is 0.
// DefinitelyLess: a + 1e-9 * b < b (signed tolerance), or a + 1e-16 < b when b is 0.
bool NearlyEqual(float a, float b);
bool DefinitelyLess(float a, float b);
// NearlyEqual on extended arguments (values that were never rounded to 32 bits).
bool NearlyEqualExtended(long double a, long double b);
