// Values into texts. The patterns come from the string table and may be translated, so the
// formatter never trusts them: it reads only the values it was given, whatever the markers ask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace i18n {

// One value for a pattern: a whole number, a real number or a text.
class FormatArg {
public:
    enum class Kind { Int, Real, Text };
    FormatArg(int v) : kind_(Kind::Int), i_(v) {}
    FormatArg(long v) : kind_(Kind::Int), i_(v) {}
    FormatArg(long long v) : kind_(Kind::Int), i_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Int), i_(v) {}
    FormatArg(unsigned long v) : kind_(Kind::Int), i_(int64_t(v)) {}
    FormatArg(unsigned long long v) : kind_(Kind::Int), i_(int64_t(v)) {}
    FormatArg(double v) : kind_(Kind::Real), d_(v) {}
    FormatArg(const char* s) : kind_(Kind::Text), s_(s ? s : "") {}
    FormatArg(std::string_view s) : kind_(Kind::Text), s_(s) {}
    FormatArg(const std::string& s) : kind_(Kind::Text), s_(s) {}

    Kind kind() const { return kind_; }
    int64_t integer() const;
    double real() const;
    std::string text() const;

private:
    Kind kind_;
    int64_t i_ = 0;
    double d_ = 0;
    std::string_view s_;
};

// A marker found in a pattern at some position.
struct FormatMarker {
    size_t length = 0;     // 0: no marker starts here
    int positional = 0;    // 1-9 for %1-%9
    char conversion = 0;   // printf conversion character ('d', 's', 'f'...)
    bool percent = false;  // "%%"
};
// The marker that starts at text[at] (which is '%'): "%%", a printf conversion with its flags,
// width, precision and length ("%5.1f" is one marker), else %1-%9.
FormatMarker MarkerAt(std::string_view text, size_t at);

// Fills a pattern: %1-%9 take the value of that number; printf conversions (%d, %s, %02d,
// %5.1f, %x, %c...) take the values in order; "%%" is one '%'. A marker without a value stays as
// it stands, a value of another kind is converted to what the marker asks for, and "%n" writes
// nothing.
std::string Format(std::string_view pattern, const FormatArg* args, size_t count);
inline std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
    return Format(pattern, args.begin(), args.size());
}

}  // namespace i18n
