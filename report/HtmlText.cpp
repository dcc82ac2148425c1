#include "report/HtmlText.h"

#include <cmath>
#include <cstdio>

#include <QByteArray>
#include <QString>

namespace stereolint::report {

std::string escapeHtml(std::string_view text) {
  // The page declares UTF-8; file names need not be. Qt's decoder puts
  // U+FFFD for each byte that is no UTF-8, as report.json does.
  const QByteArray valid =
      QString::fromUtf8(text.data(), static_cast<int>(text.size())).toUtf8();
  std::string escaped;
  escaped.reserve(static_cast<size_t>(valid.size()));
  for (char c : valid) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string fixedNumber(double value, int decimals) {
  if (!std::isfinite(value)) return "–";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string result = text;
  if (result.find('.') != std::string::npos) {
    while (result.back() == '0') result.pop_back();
    if (result.back() == '.') result.pop_back();
  }
  if (result == "-0") result = "0";
  return result;
}

std::string signedNumber(double value, int decimals, bool plus) {
  if (!std::isfinite(value)) return "–";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string result = text;
  const bool zero = result.find_first_of("123456789") == std::string::npos;
  if (zero && result.front() == '-') result.erase(0, 1);
  if (plus && !zero && value > 0) result.insert(0, "+");
  return result;
}

std::string measureText(Measure measure, double value) {
  switch (measureInfo(measure).rule) {
    case LimitRule::Degrees: return signedNumber(value, 3) + "°";
    case LimitRule::PercentFromOne:
      return signedNumber(value, 4) + " (" + signedNumber((value - 1.0) * 100.0, 2, true) + " %)";
    case LimitRule::BudgetNear:
    case LimitRule::BudgetFar: return signedNumber(value, 2) + " % of width";
    case LimitRule::AtMost:
    case LimitRule::AtLeast: return signedNumber(value, 2) + " " + measureUnit(measure);
    case LimitRule::RowsOrHeight: break;
  }
  return signedNumber(value, 2) + " rows";
}

const char* verdictClass(qc::Verdict verdict) {
  switch (verdict) {
    case qc::Verdict::Pass: return "pass";
    case qc::Verdict::Fix: return "fix";
    case qc::Verdict::Reject: return "reject";
    case qc::Verdict::Inconclusive: return "inconclusive";
  }
  return "inconclusive";
}

std::string verdictBadge(qc::Verdict verdict) {
  return std::string("<span class=\"badge ") + verdictClass(verdict) + "\">" +
         qc::verdictName(verdict) + "</span>";
}

}  // namespace stereolint::report
