#pragma once

#include <QTest>
#include <QWidget>
#include <QWindow>

#include "app/dialog_window.h"

// Types a key as the operator does: the control (or, with no id, the dialog itself) has the
// focus, and the key comes to the dialog's window from the window system, which hands it on
// to the focused control. Modifiers are pressed and released around it, as on a keyboard.
inline void typeKey(DialogWindow& dialog, int focusId, Qt::Key key,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* target = focusId ? dialog.item(focusId) : &dialog;
  target->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(dialog.windowHandle(), key, modifiers);
}

inline constexpr int kDialogItself = 0;
inline const Qt::KeyboardModifiers kCtrlShiftAlt =
    Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier;
