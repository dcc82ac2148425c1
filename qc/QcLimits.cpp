#include "qc/QcLimits.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "util/Words.h"

namespace stereolint::qc {

namespace {

constexpr const char* kExample = "VERTICAL:0.3%/1%,ROTATION:0.1/0.5,PARALLAX:-1%/2%";

std::string withExample(const std::string& message) {
  return message + ". Example: " + kExample;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string formatNumber(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

Expected<LimitAmount> readAmount(const MeasureInfo& info, std::string_view word,
                                 std::string_view item) {
  std::string_view number = trimmed(word);
  bool percent = false;
  if (!number.empty() && number.back() == '%') {
    percent = true;
    number = trimmed(number.substr(0, number.size() - 1));
  }
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  double amount = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), amount);
  if (number.empty() || result.ec != std::errc() || result.ptr != number.data() + number.size() ||
      !std::isfinite(amount))
    return Failure{withExample("Cannot read \"" + std::string(word) + "\" in the limit \"" +
                               std::string(item) + "\" as a number")};
  if (percent && info.rule == LimitRule::Degrees)
    return Failure{withExample(std::string(info.limitKey) +
                               " limits are degrees and take no \"%\", as in \"" +
                               std::string(item) + "\"")};
  if (amount < 0 && !isBudget(info.measure) && info.rule != LimitRule::AtLeast)
    return Failure{withExample(std::string(info.limitKey) + " limits cannot be negative, as in \"" +
                               std::string(item) + "\"")};
  return LimitAmount{amount, percent && info.rule == LimitRule::RowsOrHeight};
}

std::optional<std::string> pairProblem(const MeasureInfo& info, const LimitPair& pair,
                                       std::string_view item) {
  const std::string name = info.limitKey;
  if (pair.first.percent != pair.second.percent)
    return withExample(name + " limits must be both in rows or both in %, as in \"" +
                       std::string(item) + "\" they are not");
  if (info.rule == LimitRule::AtLeast && pair.first.amount < pair.second.amount)
    return withExample("The pass limit of " + name + " is below its fix limit in \"" +
                       std::string(item) + "\"");
  if (info.rule != LimitRule::AtLeast && pair.first.amount > pair.second.amount) {
    if (isBudget(info.measure))
      return withExample("The near limit of " + name + " lies beyond its far limit in \"" +
                         std::string(item) + "\"");
    return withExample("The pass limit of " + name + " is above its fix limit in \"" +
                       std::string(item) + "\"");
  }
  return std::nullopt;
}

Expected<LimitPair> readItem(const MeasureInfo& info, std::string_view values,
                             std::string_view item) {
  const size_t slash = values.find('/');
  if (slash == std::string_view::npos || values.find('/', slash + 1) != std::string_view::npos)
    return Failure{withExample("The limit \"" + std::string(item) + "\" needs two numbers, " +
                               (isBudget(info.measure) ? "NEAR/FAR" : "PASS/FIX") + ", as in " +
                               info.limitKey + ":" + info.limitDefaults)};
  Expected<LimitAmount> first = readAmount(info, values.substr(0, slash), item);
  if (!first) return Failure{first.error()};
  Expected<LimitAmount> second = readAmount(info, values.substr(slash + 1), item);
  if (!second) return Failure{second.error()};
  const LimitPair pair{first.value(), second.value()};
  if (auto problem = pairProblem(info, pair, item)) return Failure{*problem};
  return pair;
}

const MeasureInfo* findKey(std::string_view name) {
  for (Measure owner : limitOwners())
    if (equalIgnoringCase(name, measureInfo(owner).limitKey)) return &measureInfo(owner);
  return nullptr;
}

std::vector<std::string_view> splitItems(std::string_view text) {
  std::vector<std::string_view> items;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) return items;
    start = comma + 1;
  }
}

}  // namespace

const char* limitsExample() { return kExample; }

std::string limitKeyNames() {
  std::string names;
  for (Measure owner : limitOwners())
    names += (names.empty() ? "" : ", ") + std::string(measureInfo(owner).limitKey);
  return names;
}

QcLimits defaultLimits() {
  QcLimits limits;
  for (Measure owner : limitOwners()) {
    const MeasureInfo& info = measureInfo(owner);
    limits.of(owner) = readItem(info, info.limitDefaults, info.limitDefaults).value();
  }
  return limits;
}

Expected<QcLimits> parseLimits(std::string_view text) {
  if (trimmed(text).empty()) return Failure{withExample("The limits text is empty")};
  QcLimits limits = defaultLimits();
  std::array<bool, kMeasureCount> named{};
  for (std::string_view rawItem : splitItems(text)) {
    const std::string_view item = trimmed(rawItem);
    if (item.empty())
      return Failure{withExample("The limits text \"" + std::string(text) + "\" has an empty item")};
    const size_t colon = item.find(':');
    if (colon == std::string_view::npos)
      return Failure{withExample("Cannot read the limit \"" + std::string(item) +
                                 "\": write KEY:PASS/FIX")};
    const std::string_view name = trimmed(item.substr(0, colon));
    const MeasureInfo* info = findKey(name);
    if (info == nullptr)
      return Failure{"Unknown limit \"" + std::string(name) + "\"; the limits are " +
                     limitKeyNames() + ". Example: " + kExample};
    if (named[measureIndex(info->measure)])
      return Failure{withExample("The limit " + std::string(name) + " is given twice")};
    named[measureIndex(info->measure)] = true;
    Expected<LimitPair> pair = readItem(*info, item.substr(colon + 1), item);
    if (!pair) return Failure{pair.error()};
    limits.of(info->measure) = pair.value();
  }
  return limits;
}

std::string limitPairText(Measure owner, const LimitPair& pair) {
  const LimitRule rule = measureInfo(owner).rule;
  const bool alwaysPercent = rule == LimitRule::PercentFromOne || isBudget(owner) ||
                             (rule == LimitRule::AtMost && measureUnit(owner)[0] == '%');
  auto amountText = [&](const LimitAmount& amount) {
    return formatNumber(amount.amount) + (amount.percent || alwaysPercent ? "%" : "");
  };
  return amountText(pair.first) + "/" + amountText(pair.second);
}

std::string limitsText(const QcLimits& limits) {
  std::string text;
  for (Measure owner : limitOwners())
    text += (text.empty() ? "" : ",") + std::string(measureInfo(owner).limitKey) + ":" +
            limitPairText(owner, limits.of(owner));
  return text;
}

}  // namespace stereolint::qc
