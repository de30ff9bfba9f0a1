// Formula texts come from user-edited calculations with field values pasted
// in: any byte string must evaluate without crashing or reading out of bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "viewer/calc/formula.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  wunt::EvaluateFormulaToInteger(text);
  wunt::FormulaOptions options;
  options.function_names = true;
  options.named_constants = true;
  wunt::EvaluateFormula(text, options);
  return 0;
}
