#include "app/control_ref.h"

#include <cstdlib>

#include "app/dialog_window.h"
#include "common/trace.h"

DialogWindow& ControlRef::window() const {
  if (!window_) {
    // Using a control before the dialog has bound it is a programming error; carrying on
    // would hide it.
    trace::write("ControlRef used before it was bound\n");
    std::abort();
  }
  return *window_;
}

void ControlRef::setText(std::string_view utf8) const { window().setItemText(id_, utf8); }
std::string ControlRef::text() const { return window().itemText(id_); }
void ControlRef::enable(bool enabled) const { window().enableItem(id_, enabled); }
void ControlRef::show(bool visible) const { window().showItem(id_, visible); }
int ControlRef::checkState() const { return window().itemCheck(id_); }
void ControlRef::setCheck(int state) const { window().setItemCheck(id_, state); }
void ControlRef::setFont(const QFont& font) const { window().setItemFont(id_, font); }
