#include "app/dialog_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "app/dialog_units.h"
#include "app/resource_ids.h"
#include "common/trace.h"

namespace {

QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

Qt::Alignment alignmentOf(TextAlign align) {
  switch (align) {
    case TextAlign::Right: return Qt::AlignRight | Qt::AlignTop;
    case TextAlign::Center: return Qt::AlignHCenter | Qt::AlignTop;
    case TextAlign::Left:
    case TextAlign::Default: break;
  }
  return Qt::AlignLeft | Qt::AlignTop;
}

// Progress bars start as the platform's do: range 0 to 100, position 0.
constexpr int kDefaultProgressMaximum = 100;
constexpr const char* kProgressStepProperty = "ferrowindStep";

QWidget* createControl(const ControlTemplate& c, QWidget* parent) {
  const QString text = QString::fromUtf8(c.text);
  switch (c.kind) {
    case ControlKind::PushButton: {
      auto* button = new QPushButton(text, parent);
      // Enter must never press a button by itself: no button is, or becomes, a default.
      button->setAutoDefault(false);
      button->setDefault(false);
      return button;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      bar->setRange(0, kDefaultProgressMaximum);
      bar->setValue(0);
      bar->setProperty(kProgressStepProperty, 10);
      return bar;
    }
    case ControlKind::Static: {
      auto* label = new QLabel(text, parent);
      // Texts can come from a device: never let them be taken as markup.
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(alignmentOf(c.align));
      return label;
    }
    case ControlKind::Edit: return new QLineEdit(text, parent);
    case ControlKind::AutoCheckBox: return new QCheckBox(text, parent);
  }
  return nullptr;
}

// Dialog templates name the classic Windows dialog face. Where it is missing, prefer faces of
// the same widths (Tahoma, or Arial's metric twins), so that the template's texts fit their
// controls; the wider default sans face would cut some of them off.
void substituteDialogFace(const QString& face) {
  static const QStringList kNarrowSans = {QStringLiteral("Tahoma"), QStringLiteral("Arial"),
                                          QStringLiteral("Liberation Sans"),
                                          QStringLiteral("Arimo")};
  if (!QFont::substitutes(face).isEmpty()) return;
  QFont::insertSubstitutions(face, kNarrowSans);
}

// Only the text colour changes; backgrounds stay the dialog's.
void applyTextColor(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::Text, color);
  palette.setColor(QPalette::ButtonText, color);
  widget->setPalette(palette);
}

// XKB key codes come with the key events of X11 and Wayland.
bool platformHasXkbScanCodes() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

KeyMessage keyMessageOf(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  KeyMessage message;
  message.keyDown = event.type() == QEvent::KeyPress;
  message.keyCode = KeyCodeOf({event.key(), modifiers.testFlag(Qt::KeypadModifier),
                               event.nativeScanCode(), platformHasXkbScanCodes()});
  message.ctrl = modifiers.testFlag(Qt::ControlModifier);
  message.shift = modifiers.testFlag(Qt::ShiftModifier);
  message.alt = modifiers.testFlag(Qt::AltModifier);
  return message;
}

}  // namespace

QFont createPointFont(int tenthsOfPoint, std::string_view face) {
  QFont font(fromUtf8(face));
  font.setPointSizeF(tenthsOfPoint / 10.0);
  return font;
}

struct DialogWindow::HandedOverCall {
  std::function<void()> run;
  bool* done;  // the waiting caller's flag; null when nobody waits
};

struct DialogWindow::HandOff {
  std::mutex mutex;
  std::condition_variable finished;
  std::deque<HandedOverCall> calls;
  // Positions posted for each progress bar, by control id (see postProgressPos).
  struct ProgressSlot {
    int latest = 0;
    bool fresh = false;     // `latest` has not been shown yet
    bool followed = false;  // the user-interface thread is on it: a call is queued, or its frame timer runs
  };
  std::map<int, ProgressSlot> progress;
  bool closed = false;  // the dialog is going: nothing more is taken
};

DialogWindow::DialogWindow(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      handOff_(std::make_shared<HandOff>()) {
  setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
  setSizeGripEnabled(false);
  substituteDialogFace(QString::fromUtf8(dialogTemplate.fontFace));
  QFont dialogFont(QString::fromUtf8(dialogTemplate.fontFace));
  dialogFont.setPointSize(dialogTemplate.fontPoints);
  setFont(dialogFont);
  buildControls(dialogTemplate);
}

DialogWindow::~DialogWindow() {
  // Calls still queued are dropped unrun, and their callers released: a caller must never
  // wait for a dialog that is gone.
  std::deque<HandedOverCall> dropped;
  {
    std::lock_guard lock(handOff_->mutex);
    handOff_->closed = true;
    dropped.swap(handOff_->calls);
    for (const HandedOverCall& call : dropped)
      if (call.done) *call.done = true;
  }
  handOff_->finished.notify_all();
}

bool DialogWindow::handOver(HandedOverCall call) const {
  std::lock_guard lock(handOff_->mutex);
  return handOverLocked(std::move(call));
}

bool DialogWindow::handOverLocked(HandedOverCall call) const {
  if (handOff_->closed) return false;
  handOff_->calls.push_back(std::move(call));
  // Posted with the lock held: the wake-up is made on this thread and destroyed on the
  // user-interface thread after its call, which starts by taking this lock, so the one
  // happens before the other in a way our own mutex shows. By name, so that the event is
  // made inside Qt and nothing of ours in it is read before that lock is taken.
  QMetaObject::invokeMethod(const_cast<DialogWindow*>(this), "runNextHandedOverCall",
                            Qt::QueuedConnection);
  return true;
}

void DialogWindow::callOnUiThread(std::function<void()> call) const {
  const std::shared_ptr<HandOff> handOff = handOff_;  // outlives the dialog while we wait
  bool done = false;
  if (!handOver({std::move(call), &done})) return;
  std::unique_lock lock(handOff->mutex);
  handOff->finished.wait(lock, [&] { return done; });
}

void DialogWindow::postToUiThread(std::function<void()> call) {
  handOver({std::move(call), nullptr});
}

void DialogWindow::runNextHandedOverCall() {
  // Positions posted before this call was handed over show before it runs.
  showFreshProgress();
  // The call may run a nested event loop (a message box), and in it later calls, or even the
  // dialog's end: after it, only the hand-off is used.
  const std::shared_ptr<HandOff> handOff = handOff_;
  std::unique_lock lock(handOff->mutex);
  if (handOff->calls.empty()) return;
  HandedOverCall call = std::move(handOff->calls.front());
  handOff->calls.pop_front();
  lock.unlock();
  call.run();
  lock.lock();
  if (call.done) {
    *call.done = true;
    handOff->finished.notify_all();
  }
}

void DialogWindow::buildControls(const DialogTemplate& dialogTemplate) {
  const QFontMetrics metrics(font());
  const DialogBaseUnits base = baseUnitsFromFont(
      metrics.horizontalAdvance(fromUtf8(kAverageWidthSample)), metrics.height());
  const PixelRect client = dialogRectToPixels(0, 0, dialogTemplate.w, dialogTemplate.h, base);
  setFixedSize(client.w, client.h);

  for (const ControlTemplate& c : dialogTemplate.controls) {
    QWidget* widget = createControl(c, this);
    const PixelRect r = dialogRectToPixels(c.x, c.y, c.w, c.h, base);
    widget->setGeometry(r.x, r.y, r.w, r.h);
    // Creation order is tab order; only tab stops take the focus from the keyboard.
    widget->setFocusPolicy((c.styles & kTabStop) ? Qt::StrongFocus : Qt::NoFocus);
    widget->setObjectName(QStringLiteral("control_%1").arg(c.id));
    if (c.id != IDC_STATIC) items_.emplace(c.id, widget);
  }
}

void DialogWindow::setVisible(bool visible) {
  if (visible && !initialised_) {
    initialised_ = true;
    if (OnInitDialog()) {
      for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus && w->isEnabled() && !w->isHidden()) {
          w->setFocus(Qt::TabFocusReason);
          break;
        }
      }
    }
  }
  QDialog::setVisible(visible);
  // Key events come to the window first and go from there to the focused control: watching
  // the window sees each of them once, whichever control has the focus.
  if (visible && windowHandle()) windowHandle()->installEventFilter(this);
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() &&
      (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
    return PreTranslateMessage(keyMessageOf(*static_cast<QKeyEvent*>(event)));
  return QDialog::eventFilter(watched, event);
}

bool DialogWindow::PreTranslateMessage(const KeyMessage&) { return false; }

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  // The dialog's own keys: Escape ends it. Enter is never acted on here, so it can neither
  // press a button nor end the dialog.
  if (event->matches(QKeySequence::Cancel)) {
    QDialog::keyPressEvent(event);
    return;
  }
  const KeyMessage message = keyMessageOf(*event);
  if (message.keyCode != kKeyReturn) OnKeyDownMessage(message);
  event->accept();
}

void DialogWindow::keyReleaseEvent(QKeyEvent* event) {
  OnKeyUpMessage(keyMessageOf(*event));
  event->accept();
}

long DialogWindow::OnKeyDownMessage(const KeyMessage&) { return 0; }

long DialogWindow::OnKeyUpMessage(const KeyMessage&) { return 0; }

std::optional<QColor> DialogWindow::OnCtlColor(int) { return std::nullopt; }

void DialogWindow::paintEvent(QPaintEvent*) { OnPaint(); }

void DialogWindow::OnPaint() {}

bool DialogWindow::OnInitDialog() {
  UpdateData(false);
  return true;
}

void DialogWindow::DoDataExchange(DataExchange&) {}

void DialogWindow::OnTimer(int) {}

void DialogWindow::DDX_Text(DataExchange& dx, int id, std::string& value) {
  if (dx.saveAndValidate)
    value = itemText(id);
  else
    setItemText(id, value);
}

bool DialogWindow::UpdateData(bool saveAndValidate) {
  return onUiThread([&] {
    DataExchange dx{saveAndValidate};
    DoDataExchange(dx);
    return true;
  });
}

QWidget* DialogWindow::item(int id) const {
  const auto found = items_.find(id);
  return found == items_.end() ? nullptr : found->second;
}

QWidget* DialogWindow::requireItem(int id) const {
  QWidget* widget = item(id);
  if (!widget) {
    trace::write("DialogWindow: no control with id " + std::to_string(id) + "\n");
    std::abort();
  }
  return widget;
}

ControlRef DialogWindow::control(int id) {
  requireItem(id);
  return ControlRef(this, id);
}

void DialogWindow::onClicked(int id, std::function<void()> handler) {
  onUiThread([&] {
    auto* button = qobject_cast<QAbstractButton*>(requireItem(id));
    if (!button) {
      trace::write("control " + std::to_string(id) + " is not a button\n");
      std::abort();
    }
    connect(button, &QAbstractButton::clicked, this, [handler = std::move(handler)] { handler(); });
  });
}

// Qt values (QString here) are made on the user-interface thread, inside the call: the widget
// keeps a shared copy, whose last owner must not be a worker releasing it on its own thread.
void DialogWindow::setItemText(int id, std::string_view utf8) {
  onUiThread([&] {
    const QString text = fromUtf8(utf8);
    QWidget* w = requireItem(id);
    if (const std::optional<QColor> color = OnCtlColor(id)) applyTextColor(w, *color);
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(text);
    else w->setWindowTitle(text);
    emit itemTextSet(id, text);
  });
}

std::string DialogWindow::itemText(int id) const {
  return onUiThread([&] {
    QWidget* w = requireItem(id);
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) text = edit->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    return text.toStdString();
  });
}

void DialogWindow::setCaption(std::string_view utf8) {
  onUiThread([&] { setWindowTitle(fromUtf8(utf8)); });
}

std::string DialogWindow::caption() const {
  return onUiThread([&] { return windowTitle().toStdString(); });
}

void DialogWindow::enableItem(int id, bool enabled) {
  onUiThread([&] { requireItem(id)->setEnabled(enabled); });
}

void DialogWindow::showItem(int id, bool visible) {
  onUiThread([&] { requireItem(id)->setVisible(visible); });
}

int DialogWindow::itemCheck(int id) const {
  return onUiThread([&] {
    auto* box = qobject_cast<QAbstractButton*>(requireItem(id));
    return box && box->isChecked() ? BST_CHECKED : BST_UNCHECKED;
  });
}

void DialogWindow::setItemCheck(int id, int state) {
  onUiThread([&] {
    if (auto* box = qobject_cast<QAbstractButton*>(requireItem(id)))
      box->setChecked(state == BST_CHECKED);
  });
}

void DialogWindow::setProgressRange(int id, int minimum, int maximum) {
  onUiThread([&] {
    if (auto* bar = qobject_cast<QProgressBar*>(requireItem(id))) bar->setRange(minimum, maximum);
  });
}

void DialogWindow::setProgressStep(int id, int step) {
  onUiThread([&] { requireItem(id)->setProperty(kProgressStepProperty, step); });
}

void DialogWindow::setProgressPos(int id, int position) {
  onUiThread([&] {
    if (auto* bar = qobject_cast<QProgressBar*>(requireItem(id))) bar->setValue(position);
  });
}

void DialogWindow::postProgressPos(int id, int position) {
  if (QThread::currentThread() == thread()) {
    setProgressPos(id, position);
    return;
  }
  std::lock_guard lock(handOff_->mutex);
  HandOff::ProgressSlot& slot = handOff_->progress[id];
  slot.latest = position;
  slot.fresh = true;
  if (slot.followed) return;  // the user-interface thread comes for it within a frame
  slot.followed = true;
  // runNextHandedOverCall shows the position before it runs this: it only starts following.
  handOverLocked({[this, id] {
                    QTimer::singleShot(kProgressFrame, this, [this, id] { followProgress(id); });
                  },
                  nullptr});
}

void DialogWindow::followProgress(int id) {
  std::optional<int> position;
  {
    std::lock_guard lock(handOff_->mutex);
    HandOff::ProgressSlot& slot = handOff_->progress[id];
    if (slot.fresh) {
      position = slot.latest;
      slot.fresh = false;
    } else {
      slot.followed = false;  // nothing new for a frame: the next position wakes this thread
    }
  }
  if (!position) return;
  setProgressPos(id, *position);
  QTimer::singleShot(kProgressFrame, this, [this, id] { followProgress(id); });
}

void DialogWindow::showFreshProgress() {
  std::vector<std::pair<int, int>> fresh;
  {
    std::lock_guard lock(handOff_->mutex);
    for (auto& [id, slot] : handOff_->progress) {
      if (!slot.fresh) continue;
      fresh.emplace_back(id, slot.latest);
      slot.fresh = false;
    }
  }
  for (const auto& [id, position] : fresh) setProgressPos(id, position);
}

void DialogWindow::setItemFont(int id, const QFont& font) {
  onUiThread([&] { requireItem(id)->setFont(font); });
}

void DialogWindow::setItemTextColor(int id, const QColor& color) {
  onUiThread([&] { applyTextColor(requireItem(id), color); });
}

int DialogWindow::messageBox(std::string_view text, std::string_view caption, unsigned type) {
  MessageBoxRequest request{std::string(text), std::string(caption), type};
  return onUiThread([&] {
    if (messageBoxResponder_) return messageBoxResponder_(request);
    return runModalMessageBox(this, request);
  });
}

void DialogWindow::setMessageBoxResponder(MessageBoxResponder responder) {
  onUiThread([&] { messageBoxResponder_ = std::move(responder); });
}

void DialogWindow::setDialogTimer(int timerId, std::chrono::milliseconds period) {
  onUiThread([&] {
    QTimer*& timer = timers_[timerId];
    if (!timer) {
      timer = new QTimer(this);
      timer->setTimerType(Qt::PreciseTimer);
      connect(timer, &QTimer::timeout, this, [this, timerId] { OnTimer(timerId); });
    }
    timer->start(period);
  });
}

void DialogWindow::killDialogTimer(int timerId) {
  onUiThread([&] {
    const auto found = timers_.find(timerId);
    if (found == timers_.end()) return;
    found->second->stop();
    // The timer may be killed from inside its own tick: let it finish before it goes.
    found->second->deleteLater();
    timers_.erase(found);
  });
}

bool DialogWindow::isDialogTimerRunning(int timerId) const {
  return onUiThread([&] {
    const auto found = timers_.find(timerId);
    return found != timers_.end() && found->second->isActive();
  });
}
