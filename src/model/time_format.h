#pragma once

#include <optional>
#include <string>

// Text of time values (seconds since 2001-01-01 00:00:00 GMT) in the local time zone,
// with strftime/strptime-style formats such as "%d.%m\n%H:%M" or "%Y-%m-%d %H:%M:%S".
namespace xyla {

// `secondsSince2001` written with `format`, in local time (the fraction of a second is
// dropped, rounding down). Empty for a non-finite or unrepresentable time and for an
// empty format.
std::string formatTime(double secondsSince2001, const std::string& format);

// The time value `text` describes in `format`, read as local time. Fields the format
// lacks default to 2001-01-01 00:00:00. When the text matches only the front of the
// format (a date typed without its time, say), the fields read up to there count.
// Nothing when not even the first conversion of the format could be read.
std::optional<double> parseTime(const std::string& text, const std::string& format);

// Like parseTime, but the whole format must match and nothing but white space may
// follow: what dialogs use to tell a date from a plain number ("5" is no date).
std::optional<double> parseTimeExact(const std::string& text, const std::string& format);

// The date format of the preferences ("TDF"), with "%Y-%m-%d %H:%M:%S" when it is not
// set: dialogs read dates in it, time axes and the macro variable $date write them.
std::string timeDisplayFormat();

}  // namespace xyla
