#pragma once

#include <functional>
#include <string>

class QWidget;

// Message box types by their classic numbers: the low nibble picks the buttons, the next one
// the icon, the next one the default button. The program shows two of them.
inline constexpr unsigned kMessageBoxStop = 16;                // OK, stop icon
inline constexpr unsigned kMessageBoxQuestionDefaultNo = 260;  // Yes and No, No the default

// The button the operator pressed.
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The caption of every box the program shows.
inline constexpr const char* kMessageCaption = "Tip";

struct MessageBoxRequest {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  unsigned type = kMessageBoxStop;
  friend bool operator==(const MessageBoxRequest&, const MessageBoxRequest&) = default;
};

// What a type number asks for.
struct MessageBoxStyle {
  bool yesNo = false;          // Yes and No instead of OK
  bool stopIcon = false;       // the error icon
  bool secondIsDefault = false;  // the second button (No) is the default
  friend bool operator==(const MessageBoxStyle&, const MessageBoxStyle&) = default;
};
MessageBoxStyle decodeMessageBoxType(unsigned type);

// Answers a box in place of the operator (tests install one); returns IDOK, IDYES or IDNO.
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;

// Shows a real application-modal box owned by `owner` and waits for the answer.
// Closing the box without a button counts as No for a Yes/No box and OK otherwise.
int runModalMessageBox(QWidget* owner, const MessageBoxRequest& request);
