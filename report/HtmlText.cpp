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
