#include "forms/rules/check_result.h"

#include "i18n/language.h"

namespace {

// Fills the first two "%d" of a translated format. The format comes from a
// language file, so it is never handed to printf.
std::string FillRange(std::string format, int minimum, int maximum) {
  std::size_t pos = 0;
  for (const int value : {minimum, maximum}) {
    pos = format.find("%d", pos);
    if (pos == std::string::npos) break;
    const std::string number = std::to_string(value);
    format.replace(pos, 2, number);
    pos += number.size();
  }
  return format;
}

}  // namespace

std::string MessageText(const CheckResult& result) {
  if (result.passed) return {};
  std::string text = TranslateText(result.messageKey);
  switch (result.fill) {
    case MessageFill::kNone:
      return text;
    case MessageFill::kRange:
      return FillRange(std::move(text), result.rangeMin, result.rangeMax);
    case MessageFill::kFieldLabel:
      return TranslateText(result.labelKey) + " " + text;
  }
  return text;
}
