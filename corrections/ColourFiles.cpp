#include "corrections/ColourFiles.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>
#include <array>
#include <cmath>
#include <cstdio>

#include "platform/Platform.h"

namespace stereolint::corrections {

namespace {

constexpr const char* kCdlNamespace = "urn:ASC:CDL:v1.01";

// Six decimals in the C locale's form; a value that rounds to zero is
// written "0.000000", never "-0.000000".
std::string sixDecimals(double value) {
  if (std::abs(value) < 5e-7) value = 0;
  char number[48];
  std::snprintf(number, sizeof number, "%.6f", value);
  return number;
}

QString triple(const std::array<double, 3>& values) {
  return QString::fromStdString(sixDecimals(values[0]) + ' ' + sixDecimals(values[1]) + ' ' +
                                sixDecimals(values[2]));
}

QByteArray cdlText(const ColourDecision& decision, const std::string& id,
                   const std::string& description) {
  QByteArray bytes;
  QXmlStreamWriter xml(&bytes);
  xml.setAutoFormatting(true);
  xml.setAutoFormattingIndent(2);
  const QString ns = QString::fromLatin1(kCdlNamespace);
  xml.writeStartDocument();
  xml.writeDefaultNamespace(ns);
  xml.writeStartElement(ns, "ColorDecisionList");
  xml.writeStartElement(ns, "ColorDecision");
  xml.writeStartElement(ns, "ColorCorrection");
  xml.writeAttribute("id", QString::fromStdString(id));
  xml.writeStartElement(ns, "SOPNode");
  if (!description.empty())
    xml.writeTextElement(ns, "Description", QString::fromStdString(description));
  xml.writeTextElement(ns, "Slope", triple(decision.slope));
  xml.writeTextElement(ns, "Offset", triple(decision.offset));
  xml.writeTextElement(ns, "Power", triple(decision.power));
  xml.writeEndElement();
  xml.writeStartElement(ns, "SatNode");
  xml.writeTextElement(ns, "Saturation", QString::fromStdString(sixDecimals(decision.saturation)));
  xml.writeEndElement();
  xml.writeEndDocument();  // closes every open element
  return bytes;
}

// The title as one line inside double quotes, which the format cannot escape.
std::string cubeTitle(const std::string& title) {
  std::string line;
  for (char c : title) line += c == '"' ? '\'' : (c == '\n' || c == '\r') ? ' ' : c;
  return line;
}

// One blue plane of the lattice, green rows of red-fastest lines.
std::string cubePlane(const ColourDecision& decision, int blue) {
  constexpr double step = 1.0 / (kCubeSize - 1);
  std::string text;
  for (int green = 0; green < kCubeSize; ++green)
    for (int red = 0; red < kCubeSize; ++red) {
      const std::array<double, 3> out =
          applyColourDecision(decision, {red * step, green * step, blue * step});
      text += sixDecimals(out[0]) + ' ' + sixDecimals(out[1]) + ' ' + sixDecimals(out[2]) + '\n';
    }
  return text;
}

std::optional<std::string> problemOf(const std::string& path,
                                     const platform::FileOutcome& outcome) {
  if (outcome.done) return std::nullopt;
  return "Cannot write " + path + ": " + outcome.reason;
}

}  // namespace

std::optional<std::string> writeCdlFile(const std::string& path, const ColourDecision& decision,
                                        const std::string& id, const std::string& description) {
  const QByteArray text = cdlText(decision, id, description);
  return problemOf(
      path, platform::writeWholeFile(path, text.constData(), static_cast<size_t>(text.size())));
}

std::optional<std::string> writeCubeFile(const std::string& path, const ColourDecision& decision,
                                         const std::string& title) {
  // About a megabyte: written a blue plane at a time rather than held whole.
  const auto produce = [&](const platform::FileAppend& append) {
    const std::string header = "TITLE \"" + cubeTitle(title) + "\"\nLUT_3D_SIZE " +
                               std::to_string(kCubeSize) + "\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 1 1 1\n";
    bool written = append(header.data(), header.size());
    for (int blue = 0; written && blue < kCubeSize; ++blue) {
      const std::string plane = cubePlane(decision, blue);
      written = append(plane.data(), plane.size());
    }
    return std::string();  // a failed write carries the system's reason
  };
  return problemOf(path, platform::writeWholeFileFrom(path, produce));
}

}  // namespace stereolint::corrections
