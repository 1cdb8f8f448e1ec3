#include "platform/registry/registry_tree.h"

#include <algorithm>

namespace {

WCHAR FoldCase(WCHAR c) {
  if (c >= u'a' && c <= u'z') return static_cast<WCHAR>(c - 0x20);
  // Latin-1 small letters; 0xF7 is the division sign, 0xFF's capital lies outside Latin-1.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<WCHAR>(c - 0x20);
  if (c == 0xFF) return 0x178;
  return c;
}

WString SubkeyPrefix(WStringView path) {
  WString prefix(path);
  prefix.push_back(u'\\');
  return prefix;
}

bool StartsWithName(WStringView text, WStringView prefix) {
  return text.size() >= prefix.size() && RegistryNamesEqual(text.substr(0, prefix.size()), prefix);
}

}  // namespace

bool RegistryNameLess::operator()(WStringView a, WStringView b) const {
  // Paths share long stretches spelt alike ("HKEY_CLASSES_ROOT\CLSID\{..."): those are skipped
  // without folding, since units equal as they are stay equal folded.
  const auto [restOfA, restOfB] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return std::lexicographical_compare(restOfA, a.end(), restOfB, b.end(),
                                      [](WCHAR x, WCHAR y) { return FoldCase(x) < FoldCase(y); });
}

bool RegistryNamesEqual(WStringView a, WStringView b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](WCHAR x, WCHAR y) { return FoldCase(x) == FoldCase(y); });
}

WStringView RegistryParentPath(WStringView path) {
  const size_t separator = path.rfind(u'\\');
  return separator == WStringView::npos ? WStringView() : path.substr(0, separator);
}

RegistryTree::RegistryTree() {
  for (WStringView root : kRegistryRootNames) keys_.emplace(WString(root), Values());
}

std::optional<WString> RegistryTree::Find(WStringView path) const {
  const auto found = keys_.find(path);
  if (found == keys_.end()) return std::nullopt;
  return found->first;
}

bool RegistryPathWellFormed(WStringView path) {
  return !path.empty() && path.front() != u'\\' && path.back() != u'\\' &&
         path.find(u"\\\\") == WStringView::npos;
}

std::optional<std::pair<WString, bool>> RegistryTree::Create(WStringView path) {
  if (!RegistryPathWellFormed(path)) return std::nullopt;
  const size_t rootEnd = std::min(path.find(u'\\'), path.size());
  if (!Find(path.substr(0, rootEnd))) return std::nullopt;
  return CreateWellFormed(path);
}

std::pair<WString, bool> RegistryTree::CreateWellFormed(WStringView path) {
  if (auto existing = Find(path)) return {std::move(*existing), false};
  const WStringView parent = RegistryParentPath(path);
  WString stored = SubkeyPrefix(CreateWellFormed(parent).first);
  stored.append(path.substr(parent.size() + 1));
  keys_.emplace(stored, Values());
  return {std::move(stored), true};
}

void RegistryTree::Remove(WStringView path) {
  const auto found = keys_.find(path);
  if (found != keys_.end()) keys_.erase(found);
}

bool RegistryTree::HasSubkeys(WStringView path) const {
  const WString prefix = SubkeyPrefix(path);
  const auto next = keys_.lower_bound(prefix);
  return next != keys_.end() && StartsWithName(next->first, prefix);
}

std::vector<WString> RegistryTree::SubkeyNames(WStringView path) const {
  const WString prefix = SubkeyPrefix(path);
  std::vector<WString> names;
  for (auto it = keys_.lower_bound(prefix); it != keys_.end() && StartsWithName(it->first, prefix);
       ++it) {
    const WStringView rest = WStringView(it->first).substr(prefix.size());
    if (rest.find(u'\\') == WStringView::npos) names.emplace_back(rest);
  }
  return names;
}

RegistryTree::Values* RegistryTree::ValuesOf(WStringView path) {
  const auto found = keys_.find(path);
  return found == keys_.end() ? nullptr : &found->second;
}

const RegistryTree::Values* RegistryTree::ValuesOf(WStringView path) const {
  const auto found = keys_.find(path);
  return found == keys_.end() ? nullptr : &found->second;
}
