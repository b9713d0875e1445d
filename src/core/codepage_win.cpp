// Code-page conversions of the launcher's 8-bit texts.
#include <windows.h>

#include "core/codepage.h"

namespace quorv {
namespace {

UINT fileCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

std::u16string toWide(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return std::u16string(wide.begin(), wide.end());
}

std::string fromWide(UINT codePage, const std::u16string& text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(codePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide, length, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string wideToUtf8(const std::u16string& text) { return fromWide(CP_UTF8, text); }

std::string wideToAnsi(const std::u16string& text) { return fromWide(CP_ACP, text); }

std::u16string fileCpToWide(const std::string& text) { return toWide(fileCodePage(), text); }

std::u16string ansiToWide(const std::string& text) { return toWide(CP_ACP, text); }

bool wideToFileCp(const std::u16string& text, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  const UINT codePage = fileCodePage();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const UINT actual = codePage == CP_ACP ? GetACP() : GetOEMCP();
  if (actual == CP_UTF8) {
    // UTF-8 takes no default character; only unpaired surrogates make it lossy.
    int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, static_cast<int>(text.size()),
                                nullptr, 0, nullptr, nullptr);
    bool lossless = n > 0;
    if (!lossless) {
      n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
    }
    if (n <= 0) return false;
    out.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return lossless;
  }
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(codePage, 0, wide, static_cast<int>(text.size()), nullptr, 0, "?",
                              &usedDefault);
  if (n <= 0) return false;
  out.assign(static_cast<size_t>(n), '\0');
  usedDefault = FALSE;
  WideCharToMultiByte(codePage, 0, wide, static_cast<int>(text.size()), out.data(), n, "?",
                      &usedDefault);
  return !usedDefault;
}

}  // namespace quorv
