// A text of at most N bytes, cut to N on every assignment, like the fixed-size strings of the case records.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

template <std::size_t N>
class ShortString {
public:
    static constexpr std::size_t Capacity = N;

    ShortString() = default;
    ShortString(const char* s) { Assign(std::string_view(s)); }
    ShortString(std::string_view s) { Assign(s); }
    ShortString(const std::string& s) { Assign(s); }

    ShortString& operator=(const char* s) {
        Assign(std::string_view(s));
        return *this;
    }
    ShortString& operator=(std::string_view s) {
        Assign(s);
        return *this;
    }
    ShortString& operator=(const std::string& s) {
        Assign(s);
        return *this;
    }

    operator const std::string&() const { return text_; }
    const std::string& str() const { return text_; }
    const char* c_str() const { return text_.c_str(); }
    std::size_t size() const { return text_.size(); }
    bool empty() const { return text_.empty(); }

    friend bool operator==(const ShortString& a, const ShortString& b) { return a.text_ == b.text_; }
    friend bool operator==(const ShortString& a, std::string_view b) { return a.text_ == b; }

private:
    void Assign(std::string_view s) { text_.assign(s.substr(0, N)); }
    std::string text_;
};
