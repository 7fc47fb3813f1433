#pragma once

#include <QDialog>
#include <QFont>
#include <QThread>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "app/control_ref.h"
#include "app/dialog_template.h"
#include "app/message_box.h"
#include "input/key_message.h"

class QColor;
class QKeyEvent;
class QPaintEvent;
class QTimer;

// A font of the given size in tenths of a point; the screen's resolution turns points into
// pixels. A face the machine lacks is replaced by the closest one it has.
QFont createPointFont(int tenthsOfPoint, std::string_view face);

// Direction of a data exchange between the controls and the dialog's members.
struct DataExchange {
  bool saveAndValidate;  // true: controls -> members; false: members -> controls
};

// The window layer: a fixed-size dialog built from a DialogTemplate, and the operations the
// dialog's code needs on it, each addressed by control id.
//
// Thread rule: every public operation may be called from any thread. Off the user-interface
// thread the call is carried out on that thread and returns only once it has taken effect
// there (the caller waits); on the user-interface thread it runs directly. A worker therefore
// never touches a widget itself. The user-interface thread must never wait for a thread that
// may be inside one of these calls.
class DialogWindow : public QDialog {
  Q_OBJECT

 public:
  explicit DialogWindow(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);
  ~DialogWindow() override;

  // Runs the dialog until it is closed (Escape, the close button).
  int DoModal() { return exec(); }

  ControlRef control(int id);

  // Runs the handler on the user-interface thread whenever the button is clicked.
  void onClicked(int id, std::function<void()> handler);

  void setItemText(int id, std::string_view utf8);
  std::string itemText(int id) const;
  void setCaption(std::string_view utf8);
  std::string caption() const;
  void enableItem(int id, bool enabled);
  void showItem(int id, bool visible);
  int itemCheck(int id) const;  // BST_CHECKED or BST_UNCHECKED
  void setItemCheck(int id, int state);
  void setProgressRange(int id, int minimum, int maximum);
  void setProgressStep(int id, int step);
  void setProgressPos(int id, int position);
  // Moves a progress bar without waiting for it to move, and without waking the
  // user-interface thread for every position. Off that thread the first position of a stream
  // is handed over at once; while the thread follows the bar (once a frame, kProgressFrame),
  // later positions only replace the one it will take next. So the bar may skip positions,
  // but the last one given always shows: within a frame, and before any call handed over
  // after it. For a stream of positions (the transfer's), where a hand-over at every step
  // would cost the worker a round trip, or at least a wake-up, per step.
  void postProgressPos(int id, int position);
  static constexpr std::chrono::milliseconds kProgressFrame{16};  // 60 frames a second
  void setItemFont(int id, const QFont& font);
  void setItemTextColor(int id, const QColor& color);

  // A modal box owned by the dialog; returns IDOK, IDYES or IDNO. The caller waits for the
  // answer (a worker too: the box runs on the user-interface thread).
  int messageBox(std::string_view text, std::string_view caption, unsigned type);
  // Lets a test answer boxes instead of an operator; an empty responder restores real boxes.
  void setMessageBoxResponder(MessageBoxResponder responder);

  // A timer of the dialog, by id: OnTimer(id) runs on the user-interface thread every period
  // until the timer is killed. Setting a running id again restarts it with the new period.
  void setDialogTimer(int timerId, std::chrono::milliseconds period);
  void killDialogTimer(int timerId);
  bool isDialogTimerRunning(int timerId) const;

  // Exchanges data between the controls and the members (see DoDataExchange).
  bool UpdateData(bool saveAndValidate);

  // The widget of a control: user-interface thread only. For building, and for tests that
  // press keys on a control.
  QWidget* item(int id) const;

 signals:
  // Each time a control's text is set, on the user-interface thread, with the new text: lets
  // an observer (a log, an accessibility bridge, a test) follow everything the display says,
  // even texts that are replaced before anyone could look.
  void itemTextSet(int id, const QString& text);

 protected:
  // Runs once, after the controls exist and before the window is first shown. The base fills
  // the controls from the members; a true result puts the focus on the first tab stop.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& dx);
  virtual void OnTimer(int timerId);

  // Sees every key event of the window (the dialog's and all its controls') before any
  // widget does; true keeps it from them. The base lets every key go on.
  virtual bool PreTranslateMessage(const KeyMessage& message);
  // Keys that reach the dialog itself and are not its own (Escape ends the dialog, Enter is
  // never acted on): nothing more happens to them. The result is 0, handled.
  virtual long OnKeyDownMessage(const KeyMessage& message);
  virtual long OnKeyUpMessage(const KeyMessage& message);

  // The text colour of a control, asked each time its text is set (so a writer sets the
  // state the colour follows first, then the text); none leaves the control's colour as it is.
  virtual std::optional<QColor> OnCtlColor(int id);
  // Paints the window; the base leaves it to the widgets.
  virtual void OnPaint();

  // One text control <-> one text member, in the direction of the exchange.
  void DDX_Text(DataExchange& dx, int id, std::string& value);

  // Runs `call` on the user-interface thread later, between events, in the order posted (from
  // that thread too: it never runs inside the caller). The caller does not wait. Calls still
  // waiting when the dialog goes are dropped unrun.
  void postToUiThread(std::function<void()> call);

  void setVisible(bool visible) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void buildControls(const DialogTemplate& dialogTemplate);
  QWidget* requireItem(int id) const;

  // Runs f on the user-interface thread and returns its result (see the thread rule above).
  template <typename F>
  auto onUiThread(F&& f) const -> std::invoke_result_t<F&> {
    using Result = std::invoke_result_t<F&>;
    if (QThread::currentThread() == thread()) return f();
    if constexpr (std::is_void_v<Result>) {
      callOnUiThread([&f] { f(); });
    } else {
      static_assert(std::is_default_constructible_v<Result>);
      // Stays default if the call was dropped unrun (the dialog went meanwhile).
      Result result{};
      callOnUiThread([&] { result = f(); });
      return result;
    }
  }

  // Work handed over to the user-interface thread: a queue of our own under a std::mutex. A Qt
  // event only wakes that thread up; it carries nothing. Qt's own locks are futexes that
  // ThreadSanitizer cannot see, so a hand-off through them alone would look like a race.
  struct HandOff;
  struct HandedOverCall;
  // Off the user-interface thread: returns once `call` has run there, or has been dropped
  // because the dialog went first.
  void callOnUiThread(std::function<void()> call) const;
  // Queues the call and posts its wake-up, with the hand-off's lock held; false once the
  // dialog is going.
  bool handOver(HandedOverCall call) const;
  // The same, for a caller that holds the hand-off's lock already.
  bool handOverLocked(HandedOverCall call) const;
  // The wake-up: runs the oldest call handed over, one per wake-up, so that calls keep their
  // place among the other events.
  Q_INVOKABLE void runNextHandedOverCall();
  // The posted positions of a bar: shows the latest if it is new and looks again in a frame;
  // stops following when nothing new came. User-interface thread.
  void followProgress(int id);
  // Shows every posted position not yet shown. User-interface thread.
  void showFreshProgress();

  std::shared_ptr<HandOff> handOff_;  // shared with callers still waiting when the dialog goes
  std::map<int, QWidget*> items_;  // addressable controls by id, owned as children
  std::map<int, QTimer*> timers_;
  MessageBoxResponder messageBoxResponder_;
  bool initialised_ = false;
};
