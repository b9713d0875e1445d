#include "core/split.h"

#include "core/codepage.h"

namespace quorv {
namespace {

constexpr char16_t kBlank = u' ';
constexpr char16_t kDouble = u'"';
constexpr char16_t kSingle = u'\'';

}  // namespace

void splitCommandLine(std::u16string_view text, std::vector<std::u16string>& list) {
  // Text beyond an embedded NUL is not part of a NUL-terminated command line.
  if (auto nul = text.find(u'\0'); nul != std::u16string_view::npos) text = text.substr(0, nul);
  const auto npos = std::u16string_view::npos;
  std::size_t p = 0;
  while (p < text.size()) {
    const std::size_t d = text.find(kDouble, p);
    const std::size_t s = text.find(kSingle, p);
    const std::size_t b = text.find(kBlank, p);
    if (b == p) {
      ++p;
      continue;
    }
    if (b != npos && b < d && b < s) {  // npos compares greater than any position
      list.emplace_back(text.substr(p, b - p));
      p = b + 1;
      continue;
    }
    std::size_t q;
    if (d != npos && d < s) {
      q = d;
    } else if (s != npos) {
      q = s;
    } else {
      list.emplace_back(text.substr(p));
      break;
    }
    const std::size_t close = text.find(text[q], q + 1);
    std::u16string arg(text.substr(p, q - p));
    if (close == npos) {
      arg.append(text.substr(q + 1));
      list.push_back(std::move(arg));
      break;
    }
    arg.append(text.substr(q + 1, close - q - 1));
    list.push_back(std::move(arg));
    p = close + 1;
    if (p < text.size() && text[p] == kBlank) ++p;
  }
}

std::string narrowLikePrintf(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c > 0xFF || c == 0) break;
    out.push_back(static_cast<char>(c));
  }
  return out;
}

void splitCommandLineNarrow(std::u16string_view text, std::vector<std::string>& list) {
  std::vector<std::u16string> wide;
  splitCommandLine(text, wide);
  for (const auto& arg : wide) list.push_back(narrowLikePrintf(arg));
}

void splitAnsiCommandLine(const std::string& text, std::vector<std::string>& list) {
  splitCommandLineNarrow(ansiToWide(text), list);
}

}  // namespace quorv
