// The user's locale in Java's form ("en", "de_CH", "no_NO_NY") and its language/country codes.
#pragma once
#include <cstdint>
#include <string>

namespace quorv {

// Locale name for a Windows locale identifier: exact 16-bit match first, then the primary
// language (low 10 bits), else "en".
std::string localeNameForLcid(uint32_t lcid);
// Looks up the user's locale (GetUserDefaultLCID) and logs "language/country is %s".
std::string determineLocale();
void setLanguageCountry(const std::string& name);
bool getLanguage(std::string& out);
bool getCountry(std::string& out);

}  // namespace quorv
