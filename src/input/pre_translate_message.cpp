// The keyboard's two jobs: Enter starts an upgrade when the dialog is ready for one, and the
// hidden hot keys set the force flag and free the option boxes.
#include "app/ferrowind_dlg.h"
#include "app/resource_ids.h"
#include "common/trace.h"
#include "input/hot_keys.h"

bool CFerrowindDlg::PreTranslateMessage(const KeyMessage& message) {
  if (IsEnterKeyDown(message)) {
    if (!m_upgrading && m_enterArmed) {
      trace::write("----------------------- Enter Runing ----------------------------- \n");
      OnUpgrade();
    }
    // Armed or not, the key goes on to the focused control as an ordinary key; the dialog's
    // own handling never acts on Enter, so it neither presses a button nor ends the dialog.
    return false;
  }

  // Every key with a modifier held builds its text, key-ups and repeats too; the effects
  // bear repeating. The key then goes on as usual.
  if (const std::optional<std::string> text = BuildHotKeyText(message)) {
    if (const std::optional<HotKey> hotKey = MatchHotKey(*text)) applyHotKey(*hotKey);
    trace::write(HotKeyTraceLine(*text));
  }
  return DialogWindow::PreTranslateMessage(message);
}

void CFerrowindDlg::applyHotKey(HotKey hotKey) {
  switch (hotKey) {
    case HotKey::ForceOn: m_force = true; return;
    case HotKey::ForceOff: m_force = false; return;
    case HotKey::EnableOptions:
    case HotKey::DisableOptions:
      // Only whether they take clicks: the hidden ones stay hidden.
      for (int id : {IDC_FORCE, IDC_AUTO_UPGRADE, IDC_CLEAR_PAIRING, IDC_LOCK})
        enableItem(id, hotKey == HotKey::EnableOptions);
      return;
  }
}
