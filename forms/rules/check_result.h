#pragma once
// The outcome of one of the forms' composite checks: passed, or the message of
// the first failing rule with how to show it and where the keyboard focus goes.
// The Qt forms show it in a message box; the command-line tool prints it.
// A plain value, copied freely; any thread may use it.

#include <string>
#include <string_view>

enum class MessageStyle {
  kPlain,          // no icon, the application's title as caption
  kWarning,        // exclamation icon, empty caption
  kWarningTitled,  // exclamation icon, the application's title as caption
};

// The fields a failing check moves the focus to.
enum class FormField {
  kNone,
  kSsid,
  kDeviceName,
  kKeyInterval,        // pre-shared key update interval
  kRadiusKeyInterval,  // the RADIUS sub-form's own interval
  kPower,
  kVlanManage,
  kVlanWlan,
  kVlanPvid,
  kVlanLan2,  // shown as "LAN" on models with a single LAN port
  kVlanLan3,
  kVlanLan4,
};

// How the shown text is built from the translated message key.
enum class MessageFill {
  kNone,        // the key alone
  kRange,       // the key is a format whose two %d take rangeMin and rangeMax
  kFieldLabel,  // the translated field label, a blank, then the key
};

struct CheckResult {
  static CheckResult Pass() { return {}; }
  static CheckResult Fail(std::string_view messageKey, MessageStyle style,
                          FormField focus = FormField::kNone) {
    CheckResult result;
    result.passed = false;
    result.messageKey = messageKey;
    result.style = style;
    result.focus = focus;
    return result;
  }

  bool passed = true;
  // The English text, which is also the language key; a string literal.
  std::string_view messageKey;
  MessageStyle style = MessageStyle::kPlain;
  FormField focus = FormField::kNone;
  MessageFill fill = MessageFill::kNone;
  int rangeMin = 0;
  int rangeMax = 0;
  std::string labelKey;
};

// The text to show for a failed check, composed from translated pieces in the
// current language: a format is translated first and filled afterwards. Empty
// for a passed check. Any thread, once the language has been loaded.
std::string MessageText(const CheckResult& result);
