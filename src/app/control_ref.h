#pragma once

#include <string>
#include <string_view>

class DialogWindow;
class QFont;

// A reference to one control of a dialog, by id. Every operation goes through the dialog's
// window operations, so it is safe from any thread. A default-constructed reference is
// unbound (the state before the dialog binds its controls) and must not be used.
class ControlRef {
 public:
  ControlRef() = default;
  ControlRef(DialogWindow* window, int id) : window_(window), id_(id) {}

  explicit operator bool() const { return window_ != nullptr; }
  int id() const { return id_; }

  void setText(std::string_view utf8) const;
  std::string text() const;
  void enable(bool enabled) const;
  void show(bool visible) const;
  int checkState() const;
  void setCheck(int state) const;
  void setFont(const QFont& font) const;

 private:
  DialogWindow& window() const;

  DialogWindow* window_ = nullptr;
  int id_ = 0;
};
