#pragma once

#include <stdexcept>

// The calculation errors of the paired-comparison models. They are raised explicitly (by the
// six-byte real's store and by checked helpers), never left to hardware traps; what() is the
// name the run dialog shows.
enum class CalcErrorKind { ZeroDivide, Overflow, InvalidOperation };

class CalcError : public std::runtime_error {
public:
    explicit CalcError(CalcErrorKind kind) : std::runtime_error(Name(kind)), kind_(kind) {}

    CalcErrorKind Kind() const { return kind_; }

    static const char* Name(CalcErrorKind kind) {
        switch (kind) {
        case CalcErrorKind::ZeroDivide: return "Zero divide";
        case CalcErrorKind::Overflow: return "Floating point overflow";
        case CalcErrorKind::InvalidOperation: return "Invalid floating point operation";
        }
        return "Invalid floating point operation";
    }

private:
    CalcErrorKind kind_;
};
