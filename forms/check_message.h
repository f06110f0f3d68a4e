#pragma once
// Shows a failed check of the input rules in the style the check gives it:
// plain (no icon, the program's title as caption), warning (exclamation
// icon, no caption) or warning titled (exclamation icon, the title).
//
// User-interface thread only.

#include "forms/rules/check_result.h"

class QWidget;

void ShowCheckFailure(QWidget* parent, const CheckResult& result);
