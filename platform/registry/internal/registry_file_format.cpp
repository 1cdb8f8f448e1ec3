#include "platform/registry/internal/registry_file_format.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <set>
#include <vector>

namespace {

constexpr std::string_view kHeader = "zelvar-registry 1";
constexpr char kHexDigits[] = "0123456789abcdef";

bool StandsForItself(unsigned c) { return c > ' ' && c < 0x7F && c != '%' && c != '"'; }

void AppendName(std::string& out, WStringView name) {
  for (WCHAR c : name) {
    if (StandsForItself(c)) {
      out.push_back(static_cast<char>(c));
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "%%%04X", static_cast<unsigned>(c));
      out += escaped;
    }
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<WString> ParseName(std::string_view text) {
  WString name;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (StandsForItself(c)) {
      name.push_back(c);
      continue;
    }
    if (c != '%' || text.size() - i < 5) return std::nullopt;
    unsigned unit = 0;
    for (size_t digit = 1; digit <= 4; ++digit) {
      const int value = HexValue(text[i + digit]);
      if (value < 0) return std::nullopt;
      unit = unit * 16 + static_cast<unsigned>(value);
    }
    name.push_back(static_cast<WCHAR>(unit));
    i += 4;
  }
  return name;
}

std::optional<DWORD> ParseDecimal(std::string_view text) {
  DWORD value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::vector<BYTE>> ParseBytes(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::vector<BYTE> bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexValue(hex[i]);
    const int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<BYTE>(high * 16 + low));
  }
  return bytes;
}

// Fields separated by single spaces; nullopt when a field is empty.
std::optional<std::vector<std::string_view>> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t space = line.find(' ', start);
    const std::string_view field = line.substr(start, space - start);
    if (field.empty()) return std::nullopt;
    fields.push_back(field);
    if (space == std::string_view::npos) return fields;
    start = space + 1;
  }
}

class RegistryFileParser {
 public:
  explicit RegistryFileParser(RegistryTree& tree) : tree_(tree) {}

  // Answers the problem with the line, or nullopt when the line is sound.
  std::optional<std::string> Line(std::string_view line) {
    if (lineNumber_++ == 0) {
      if (line == kHeader) return std::nullopt;
      return "not a registry file of format \"" + std::string(kHeader) + "\"";
    }
    if (line.empty() || line.front() == '#') return std::nullopt;
    if (ended_) return "text after the end line";
    const auto fields = SplitFields(line);
    if (!fields) return "stray space";
    const std::string_view kind = fields->front();
    if (kind == "key" && fields->size() == 2) return Key((*fields)[1]);
    if (kind == "value" && (fields->size() == 4 || fields->size() == 5)) return Value(*fields);
    if (kind == "end" && fields->size() == 1) {
      ended_ = true;
      return std::nullopt;
    }
    return "not a key, value or end line";
  }

  bool ended() const { return ended_; }
  size_t lineNumber() const { return lineNumber_; }

 private:
  std::optional<std::string> Key(std::string_view field) {
    const auto path = ParseName(field);
    if (!path || !RegistryPathWellFormed(*path)) return "malformed key path";
    if (!listed_.insert(*path).second) return "key listed twice";
    const WStringView parent = RegistryParentPath(*path);
    if (parent.empty()) {
      current_ = tree_.Find(*path);
      if (!current_) return "key outside the predefined roots";
      return std::nullopt;
    }
    if (!tree_.Find(parent)) return "key before its parent key";
    current_ = tree_.Create(*path)->first;
    return std::nullopt;
  }

  std::optional<std::string> Value(const std::vector<std::string_view>& fields) {
    if (!current_) return "value before any key";
    const std::string_view quoted = fields[1];
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') {
      return "value name not in quotes";
    }
    const auto name = ParseName(quoted.substr(1, quoted.size() - 2));
    if (!name) return "malformed value name";
    const auto type = ParseDecimal(fields[2]);
    const auto size = ParseDecimal(fields[3]);
    if (!type || !size) return "malformed value type or size";
    RegistryValue value{*type, {}};
    if (*size > 0) {
      if (fields.size() != 5) return "value bytes missing";
      auto bytes = ParseBytes(fields[4]);
      if (!bytes) return "malformed value bytes";
      if (bytes->size() != *size) return "value bytes do not match its size";
      value.data = std::move(*bytes);
    } else if (fields.size() != 4) {
      return "bytes given for an empty value";
    }
    if (!tree_.ValuesOf(*current_)->emplace(*name, std::move(value)).second) {
      return "value listed twice";
    }
    return std::nullopt;
  }

  RegistryTree& tree_;
  size_t lineNumber_ = 0;
  bool ended_ = false;
  std::optional<WString> current_;
  std::set<WString, RegistryNameLess> listed_;
};

}  // namespace

std::string FormatRegistryFile(const RegistryTree& tree) {
  std::string out(kHeader);
  out += '\n';
  for (const auto& [path, values] : tree.AllKeys()) {
    out += "key ";
    AppendName(out, path);
    out += '\n';
    for (const auto& [name, value] : values) {
      out += "value \"";
      AppendName(out, name);
      out += "\" " + std::to_string(value.type) + ' ' + std::to_string(value.data.size());
      if (!value.data.empty()) out += ' ';
      for (BYTE b : value.data) {
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 0xF];
      }
      out += '\n';
    }
  }
  out += "end\n";
  return out;
}

bool ParseRegistryFile(std::string_view text, RegistryTree& tree, std::string& problem) {
  tree = RegistryTree();
  RegistryFileParser parser(tree);
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (const auto lineProblem = parser.Line(line)) {
      problem = "line " + std::to_string(parser.lineNumber()) + ": " + *lineProblem;
      return false;
    }
  }
  if (!parser.ended()) {
    problem = parser.lineNumber() == 0 ? std::string("empty file")
                                       : "line " + std::to_string(parser.lineNumber()) +
                                             ": the file ends before its end line";
    return false;
  }
  return true;
}
