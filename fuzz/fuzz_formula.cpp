// Formula texts come from user-edited calculations with field values pasted
// in: any byte string must evaluate without crashing or reading out of bounds.
// Texts are read as they stand unless they hold blanks or capitals, so the
// result must also equal that of the text with those removed and lowered.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "viewer/calc/formula.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double result = wunt::EvaluateFormula(text);
  wunt::EvaluateFormulaToInteger(text);

  std::string prepared;
  for (char c : text) {
    if (c == ' ') continue;
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE)) c = static_cast<char>(u + 32);
    prepared.push_back(c);
  }
  const double again = wunt::EvaluateFormula(prepared);
  if (std::memcmp(&result, &again, sizeof result) != 0 &&
      !(std::isnan(result) && std::isnan(again))) {
    std::abort();
  }

  wunt::FormulaOptions options;
  options.function_names = true;
  options.named_constants = true;
  wunt::EvaluateFormula(text, options);
  return 0;
}
