#pragma once
// How the voucher builders turn the export's field texts into numbers and dates: the locale's
// conversion that refuses blank text, division that never lets an infinite or undefined number
// reach a record, and the dd-mm-yyyy form of a date text.

#include <string>
#include <string_view>

namespace vodare {

// The locale's conversion of a field text: blank or non-numeric text raises "Type mismatch".
double Num(std::string_view text);
// a / b; a zero divisor raises "Division by zero", a result too large for a double "Overflow".
double Divide(double a, double b);
// x itself, or "Overflow" when it is not a finite number, so that no record ever carries one.
double Finite(double x);
// The date text in the dd-mm-yyyy form, or the text as it stands when it is not a date.
std::string FormatDmy(std::string_view date_text);

class Date;
// The range a voucher stage is given as texts: both read as dates (false when either is not
// one) and the texts rewritten in the mm-dd-yyyy form the stage's queries use.
bool ReadStageRange(std::string& from_text, std::string& to_text, Date& from, Date& to);

}  // namespace vodare
