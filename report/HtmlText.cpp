#include "report/HtmlText.h"

#include <cmath>
#include <cstdio>

namespace stereolint::report {

std::string escapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
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
