#include "masters/record_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "common/helpers.h"

namespace vodare {

void AppendElement(std::string& out, std::string_view tag, std::string_view value) {
  out += '<';
  out += tag;
  out += '>';
  out += EscapeRecordValue(value);
  out += "</";
  out += tag;
  out += '>';
}

double LeadingNumber(std::string_view text) {
  std::string body;
  size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  };
  auto is_digit = [&](size_t k) {
    return k < text.size() && std::isdigit(static_cast<unsigned char>(text[k]));
  };
  skip_blanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) body += text[i++];
  skip_blanks();
  bool any_digit = false;
  bool point = false;
  while (i < text.size()) {
    if (is_digit(i)) {
      body += text[i++];
      any_digit = true;
    } else if (text[i] == '.' && !point) {
      body += text[i++];
      point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t k = i + 1;
    std::string exponent = "e";
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) exponent += text[k++];
    if (is_digit(k)) {
      while (is_digit(k)) exponent += text[k++];
      body += exponent;
    }
  }
  double v = std::strtod(body.c_str(), nullptr);
  return std::isfinite(v) ? v : 0;
}

std::string DateFieldText(const Value& field) {
  if (field.IsNull()) return {};
  if (field.IsDate()) return field.DateValue().ToText();
  std::string text = NzTrim(field);
  if (text.empty()) return text;
  if (auto d = TryParseDateText(text)) return d->ToText();
  return text;
}

double FieldNumber(const Value& field) {
  if (field.IsNull()) return 0;
  if (field.IsText()) return TextToDouble(field.Text());
  return field.ToDouble();
}

}  // namespace vodare
