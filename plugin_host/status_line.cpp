#include "plugin_host/status_line.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// Hours up to this many tenths are written by hand; beyond it (and for values that are no number)
// the formatting routine writes them.
constexpr double kLargestHandWrittenTenths = 1e15;

// Up to "-2147483648%, -2147483648 mA, hrs: " and two hours of at most 40 characters each.
constexpr size_t kLineCapacity = 160;

// How each form of the estimate reads: text, the first hours (if shown), text, the second hours
// (if shown), text. The writer and the reader both follow it.
struct EstimateLayout {
  EstimateForm form;
  const char* before;
  bool first;
  const char* between;
  bool second;
  const char* after;
};
constexpr EstimateLayout kEstimateLayouts[] = {
    {EstimateForm::Online, "N/A (online)", false, "", false, ""},
    {EstimateForm::Estimate, "", true, " (", true, ")"},
    {EstimateForm::ElapsedOnly, "", true, "/-?-", false, ""},
    {EstimateForm::Extrapolation, "", true, "/", true, ""},
    {EstimateForm::UnknownEstimate, "-?- (", true, ")", false, ""},
};

class LineWriter {
 public:
  void Text(const char* text) {
    while (*text != '\0') line_[length_++] = *text++;
  }
  void Integer(long long value) {
    length_ = std::to_chars(line_ + length_, line_ + kLineCapacity, value).ptr - line_;
  }

  // As "%.1f" writes the value widened to double. A float times ten is exact in double, so rounding
  // that product to an integer (ties to even, as the formatting routine rounds) gives its tenths.
  void Hours(float hours) {
    const double tenths = std::nearbyint(static_cast<double>(hours) * 10.0);
    if (!(std::fabs(tenths) < kLargestHandWrittenTenths)) {
      length_ += std::snprintf(line_ + length_, kLineCapacity - length_, "%.1f",
                               static_cast<double>(hours));
      return;
    }
    if (std::signbit(hours)) line_[length_++] = '-';
    const auto whole = static_cast<long long>(std::fabs(tenths));
    Integer(whole / 10);
    line_[length_++] = '.';
    line_[length_++] = static_cast<char>('0' + whole % 10);
  }

  void CopyTo(WString& line) const {
    line.resize(length_);
    for (size_t i = 0; i < length_; ++i) line[i] = static_cast<unsigned char>(line_[i]);
  }

 private:
  char line_[kLineCapacity];
  size_t length_ = 0;
};

}  // namespace

void FormatStatusLine(const StatusLineFigures& figures, WString& line) {
  LineWriter writer;
  writer.Text(" ");
  if (figures.percent <= kHighestDeterminedPercent) {
    writer.Integer(figures.percent);
  } else {
    writer.Text("?");
  }
  writer.Text("%, ");
  if (figures.withCurrent) {
    writer.Integer(figures.current);
    writer.Text(" mA, ");
  }
  writer.Text("hrs: ");
  for (const EstimateLayout& layout : kEstimateLayouts) {
    if (layout.form != figures.form) continue;
    writer.Text(layout.before);
    if (layout.first) writer.Hours(figures.first);
    writer.Text(layout.between);
    if (layout.second) writer.Hours(figures.second);
    writer.Text(layout.after);
  }
  writer.CopyTo(line);
}

namespace {

// Reads the line from the left; every step answers false and reads nothing when the text does not
// continue as it asks.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}

  bool Text(std::string_view text) {
    if (!rest_.starts_with(text)) return false;
    rest_.remove_prefix(text.size());
    return true;
  }
  bool AtEnd() const { return rest_.empty(); }

  // An optional minus and at least one digit, within LONG.
  bool Integer(LONG& value) {
    const char* const end = rest_.data() + rest_.size();
    const auto [past, error] = std::from_chars(rest_.data(), end, value);
    if (error != std::errc{}) return false;
    rest_.remove_prefix(static_cast<size_t>(past - rest_.data()));
    return true;
  }

  // What Hours writes: an optional minus, then digits, a point and one digit, or "inf" or "nan".
  bool Hours(float& hours) {
    const bool negative = Text("-");
    double magnitude = 0.0;
    if (Text("inf")) {
      magnitude = INFINITY;
    } else if (Text("nan")) {
      magnitude = NAN;
    } else if (!Digits(magnitude) || !Text(".") || !Digit(magnitude)) {
      return false;
    }
    hours = static_cast<float>(negative ? -magnitude : magnitude);
    return true;
  }

 private:
  // Whole digits into value; tenths keep an exact count of tenths up to the hand-written range.
  bool Digits(double& value) {
    size_t count = 0;
    while (count < rest_.size() && IsDigit(rest_[count])) {
      value = value * 10 + (rest_[count] - '0');
      ++count;
    }
    rest_.remove_prefix(count);
    return count > 0;
  }
  bool Digit(double& value) {
    if (rest_.empty() || !IsDigit(rest_.front())) return false;
    value = (value * 10 + (rest_.front() - '0')) / 10;
    rest_.remove_prefix(1);
    return true;
  }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  std::string_view rest_;
};

// The estimate and the end of the line, in the first layout they read as whole.
bool ReadEstimateToTheEnd(const LineReader& reader, StatusLineFigures& figures) {
  for (const EstimateLayout& layout : kEstimateLayouts) {
    LineReader rest = reader;
    StatusLineFigures read = figures;
    if (rest.Text(layout.before) && (!layout.first || rest.Hours(read.first)) &&
        rest.Text(layout.between) && (!layout.second || rest.Hours(read.second)) &&
        rest.Text(layout.after) && rest.AtEnd()) {
      figures = read;
      figures.form = layout.form;
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<StatusLineFigures> ParseStatusLine(std::string_view line) {
  LineReader reader(line);
  reader.Text(" ");
  StatusLineFigures figures{0, false, 0, EstimateForm::Online, 0.0f, 0.0f};
  if (reader.Text("?")) {
    figures.percent = BATTERY_PERCENTAGE_UNKNOWN;
  } else if (!reader.Integer(figures.percent) || figures.percent > kHighestDeterminedPercent) {
    return std::nullopt;
  }
  if (!reader.Text("%, ")) return std::nullopt;
  if (!reader.Text("hrs: ")) {
    figures.withCurrent = true;
    if (!reader.Integer(figures.current) || !reader.Text(" mA, hrs: ")) return std::nullopt;
  }
  if (!ReadEstimateToTheEnd(reader, figures)) return std::nullopt;
  return figures;
}
