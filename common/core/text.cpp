#include "common/core/text.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsWordBlank(char c) {
    return c == ' ' || c == '\r';
}

std::string NextWordImpl(const std::string& line, int& pos, bool asciiOnly) {
    const int len = static_cast<int>(line.size());
    if (pos < 1) pos = 1;
    while (pos <= len && IsWordBlank(line[pos - 1])) ++pos;
    if (pos > len) {
        if (pos < len + 1) pos = len + 1;
        return std::string();
    }
    const int start = pos;
    while (pos <= len && !IsWordBlank(line[pos - 1])) {
        if (asciiOnly && static_cast<unsigned char>(line[pos - 1]) > 126) break;
        ++pos;
    }
    return line.substr(start - 1, pos - start);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Optional sign, digits with at most one '.' or ',', optional exponent with optional sign and
// digits: the forms the number conversions produce.
bool LooksLikeNumber(const std::string& s) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        if (IsDigit(s[i])) {
            digits = true;
        } else if ((s[i] == '.' || s[i] == ',') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (i == n) return true;
    if (s[i] != 'E' && s[i] != 'e') return false;
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    if (i == n) return false;
    for (; i < n; ++i)
        if (!IsDigit(s[i])) return false;
    return true;
}

}  // namespace

std::string NextWord(const std::string& line, int& pos) {
    return NextWordImpl(line, pos, false);
}

std::string NextWordAscii(const std::string& line, int& pos) {
    return NextWordImpl(line, pos, true);
}

bool IsPrintableText(const std::string& text) {
    for (unsigned char c : text)
        if (c < 32 || c > 126) return false;
    return true;
}

std::string UpperCaseAscii(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool SameTextNoCase(const std::string& a, const std::string& b) {
    if (a.empty() || a.size() != b.size()) return false;
    return UpperCaseAscii(a) == UpperCaseAscii(b);
}

bool IsLogScale(const std::string& scale) {
    // Asked for every assessment of a run: compared in place, as UpperCaseAscii would compare it.
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return scale.size() == 3 && upper(scale[0]) == 'L' && upper(scale[1]) == 'O' && upper(scale[2]) == 'G';
}

void NormaliseScale(const std::string& word, std::string& scale) {
    if (word.empty()) return;
    if (SameTextNoCase(word, "LOG") || SameTextNoCase(word, "UNI"))
        scale = word;
    else
        scale = "LOG";
}

void FitToWidth(std::string& text, int width) {
    if (width < 0) width = 0;
    const std::size_t w = static_cast<std::size_t>(width);
    if (text.size() < w) {
        text.append(w - text.size(), ' ');
        return;
    }
    if (text.size() == w) return;
    std::size_t lead = 0;
    while (lead < text.size() && text[lead] == ' ') ++lead;
    if (LooksLikeNumber(Trim(text))) {
        // A cut number would read as a different number: drop only blanks.
        std::size_t excess = text.size() - w;
        const std::size_t dropLead = std::min(lead, excess);
        text.erase(0, dropLead);
        excess -= dropLead;
        std::size_t trail = 0;
        while (trail < text.size() && text[text.size() - 1 - trail] == ' ') ++trail;
        text.erase(text.size() - std::min(trail, excess));
        return;
    }
    text.erase(0, lead);
    if (text.size() > w)
        text.resize(w);
    else
        text.append(w - text.size(), ' ');
}

std::string TrimLeft(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    return s.substr(i);
}

std::string TrimRight(const std::string& s) {
    std::size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
    return s.substr(0, n);
}

std::string Trim(const std::string& s) {
    return TrimRight(TrimLeft(s));
}

std::string CopyText(const std::string& s, int pos, int count) {
    if (pos < 1) pos = 1;
    if (count <= 0 || static_cast<std::size_t>(pos) > s.size()) return std::string();
    return s.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(count));
}

std::string CutTo(const std::string& s, std::size_t n) {
    return s.size() <= n ? s : s.substr(0, n);
}

bool IsUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t follow = 0;
        unsigned int code = 0, least = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1, code = c & 0x1Fu, least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2, code = c & 0x0Fu, least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3, code = c & 0x07u, least = 0x10000;
        } else {
            return false;
        }
        if (s.size() - i <= follow) return false;
        for (std::size_t k = 1; k <= follow; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            code = (code << 6) | (t & 0x3Fu);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += follow + 1;
    }
    return true;
}

std::size_t CharacterCutLength(std::string_view text, std::size_t n) {
    if (text.size() <= n) return text.size();
    std::size_t cut = n;
    const auto follows = [&](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
    if (follows(cut) && IsUtf8(text))
        while (cut > 0 && follows(cut)) --cut;
    return cut;
}

std::string CutToCharacters(const std::string& text, std::size_t n) {
    return text.substr(0, CharacterCutLength(text, n));
}

bool NearlyEqualExtended(long double a, long double b) {
    const long double tol = b != 0 ? std::fabs(1e-9L * b) : static_cast<long double>(1e-16f);
    return std::fabs(b - a) < tol;
}

bool NearlyEqual(float a, float b) {
    return NearlyEqualExtended(a, b);
}

bool DefinitelyLess(float a, float b) {
    const long double la = a;
    const long double lb = b;
    const long double tol = lb != 0 ? 1e-9L * lb : static_cast<long double>(1e-16f);
    return la + tol < lb;
}
