#include "tracking/status_line.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// Hours up to this many tenths are written by hand; beyond it (and for values that are no number)
// the formatting routine writes them.
constexpr double kLargestHandWrittenTenths = 1e15;

// Up to "-2147483648%, -2147483648 mA, hrs: " and two hours of at most 40 characters each.
constexpr size_t kLineCapacity = 160;

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
  switch (figures.form) {
    case EstimateForm::Online:
      writer.Text("N/A (online)");
      break;
    case EstimateForm::Estimate:
      writer.Hours(figures.first);
      writer.Text(" (");
      writer.Hours(figures.second);
      writer.Text(")");
      break;
    case EstimateForm::ElapsedOnly:
      writer.Hours(figures.first);
      writer.Text("/-?-");
      break;
    case EstimateForm::Extrapolation:
      writer.Hours(figures.first);
      writer.Text("/");
      writer.Hours(figures.second);
      break;
    case EstimateForm::UnknownEstimate:
      writer.Text("-?- (");
      writer.Hours(figures.first);
      writer.Text(")");
      break;
  }
  writer.CopyTo(line);
}
