// The window layer: calls from a worker take effect on the user-interface thread before they
// return, timers deliver their id until killed, data exchange, and message boxes (the seam
// and the real box).
#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/dialog_window.h"
#include "app/resource_ids.h"
#include "support/wait_until.h"

namespace {

constexpr int kLabel = 1, kProgress = 2, kEdit = 3, kCheck = 4, kButton = 5;

constexpr std::array kControls = {
    ControlTemplate{kLabel, ControlKind::Static, "label", 4, 4, 60, 8, TextAlign::Left, 0},
    ControlTemplate{kProgress, ControlKind::ProgressBar, "", 4, 16, 100, 10, TextAlign::Default,
                    kBorder},
    ControlTemplate{kEdit, ControlKind::Edit, "", 4, 30, 60, 14, TextAlign::Default, kTabStop},
    ControlTemplate{kCheck, ControlKind::AutoCheckBox, "box", 70, 30, 40, 10,
                    TextAlign::Default, kTabStop},
    ControlTemplate{kButton, ControlKind::PushButton, "Go", 70, 44, 40, 14, TextAlign::Default,
                    kTabStop},
};
constexpr DialogTemplate kTemplate{1, "Probe", "Sans", 9, 120, 64, kControls};

// A dialog that records its timer ticks and exchanges one text with its edit.
class ProbeDialog : public DialogWindow {
 public:
  ProbeDialog() : DialogWindow(kTemplate) {}

  struct Tick {
    int id;
    bool onUiThread;
  };
  std::vector<Tick> ticks;
  int killOnTick = 0;  // a timer id that kills itself on its first tick
  std::string name;

  int tickCount(int id) const {
    int n = 0;
    for (const Tick& t : ticks) n += t.id == id;
    return n;
  }

 protected:
  void OnTimer(int id) override {
    ticks.push_back({id, QThread::currentThread() == qApp->thread()});
    if (id == killOnTick) killDialogTimer(id);
  }
  void DoDataExchange(DataExchange& dx) override { DDX_Text(dx, kEdit, name); }
};

// Runs `work` on a thread of its own while the user-interface thread keeps its event loop
// going, as it does while the upgrade worker runs.
template <typename Work>
void runOnWorker(Work work) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work();
    done = true;
  });
  const bool finished = waitUntil([&] { return done.load(); });
  worker.join();
  ASSERT_TRUE(finished) << "the worker did not finish";
}

TEST(WindowLayer, WorkerCallTakesEffectOnUiThreadBeforeItReturns) {
  ProbeDialog dialog;
  auto* bar = qobject_cast<QProgressBar*>(dialog.item(kProgress));
  ASSERT_NE(bar, nullptr);

  std::mutex mutex;
  std::vector<std::string> events;
  auto record = [&](std::string e) {
    std::lock_guard lock(mutex);
    events.push_back(std::move(e));
  };
  QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int value) {
    record((QThread::currentThread() == qApp->thread() ? "ui:" : "other:") +
           std::to_string(value));
  });

  std::string readBack;
  runOnWorker([&] {
    dialog.setProgressRange(kProgress, 0, 5462);
    dialog.setProgressPos(kProgress, 42);
    record("returned");
    dialog.setItemText(kLabel, "from the worker");
    readBack = dialog.itemText(kLabel);
  });

  EXPECT_EQ(events, (std::vector<std::string>{"ui:42", "returned"}));
  EXPECT_EQ(readBack, "from the worker");
  EXPECT_EQ(bar->maximum(), 5462);
  EXPECT_EQ(qobject_cast<QLabel*>(dialog.item(kLabel))->text(), "from the worker");
}

// Counts the wake-ups a dialog is sent from other threads; with `keep`, also keeps them
// from it, so that a worker's call stays queued.
class WakeUpCounter : public QObject {
 public:
  explicit WakeUpCounter(bool keep = false) : keep_(keep) {}
  std::atomic<int> count{0};

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::MetaCall) return false;
    ++count;
    return keep_;
  }

 private:
  const bool keep_;
};

// Runs `work` on a thread of its own while this thread runs no event at all; false when the
// work did not finish alone (it waited for this thread), which is then released to end.
template <typename Work>
bool finishesWithoutTheUiThread(Work work) {
  std::promise<void> finished;
  std::thread worker([&] {
    work();
    finished.set_value();
  });
  std::future<void> done = finished.get_future();
  const bool alone = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!alone) waitUntil([&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
  worker.join();
  return alone;
}

TEST(WindowLayer, PostedProgressNeverHoldsTheWorkerAndTheLastPositionArrivesFirst) {
  ProbeDialog dialog;
  auto* bar = qobject_cast<QProgressBar*>(dialog.item(kProgress));
  ASSERT_NE(bar, nullptr);
  dialog.setProgressRange(kProgress, 0, 5462);
  std::vector<std::string> events;  // user-interface thread only
  QObject::connect(bar, &QProgressBar::valueChanged, bar,
                   [&](int value) { events.push_back("bar:" + std::to_string(value)); });
  QObject::connect(&dialog, &DialogWindow::itemTextSet, &dialog, [&](int, const QString& text) {
    events.push_back("text:" + text.toStdString());
  });

  // Every position of a transfer, given while this thread is busy elsewhere: one hand-over
  // carries the last of them.
  ASSERT_TRUE(finishesWithoutTheUiThread([&] {
    for (int position = 1; position <= 5462; ++position) dialog.postProgressPos(kProgress, position);
  })) << "the worker waited for the user-interface thread";
  EXPECT_TRUE(events.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(events, (std::vector<std::string>{"bar:5462"}));

  // While this thread follows the bar (a frame after it last moved it), more positions wake
  // it no more: they wait for its next look, or for the next call handed over.
  WakeUpCounter wakeUps;
  dialog.installEventFilter(&wakeUps);
  ASSERT_TRUE(finishesWithoutTheUiThread([&] {
    for (int position = 1; position <= 100; ++position) dialog.postProgressPos(kProgress, position);
  }));
  QCoreApplication::processEvents();
  EXPECT_EQ(wakeUps.count, 0);
  dialog.removeEventFilter(&wakeUps);

  // A call the worker hands over after its positions finds the bar at the last of them.
  events.clear();
  ASSERT_TRUE(finishesWithoutTheUiThread([&] {
    dialog.postProgressPos(kProgress, 17);
    dialog.postProgressPos(kProgress, 18);
  }));
  runOnWorker([&] { dialog.setItemText(kLabel, "after"); });
  EXPECT_EQ(events, (std::vector<std::string>{"bar:18", "text:after"}));

  // On the user-interface thread itself the bar moves at once.
  dialog.postProgressPos(kProgress, 3);
  EXPECT_EQ(bar->value(), 3);
}

TEST(WindowLayer, ACallStillQueuedWhenTheDialogGoesReturnsUnrunInsteadOfWaitingForever) {
  auto dialog = std::make_unique<ProbeDialog>();
  WakeUpCounter catcher(/*keep=*/true);
  dialog->installEventFilter(&catcher);

  ProbeDialog* target = dialog.get();
  std::string readBack = "not returned";
  std::thread worker([target, &readBack] { readBack = target->itemText(kLabel); });
  ASSERT_TRUE(waitUntil([&] { return catcher.count > 0; }));
  dialog.reset();
  worker.join();

  EXPECT_EQ(readBack, "") << "a dropped call leaves its result as it was made";
}

TEST(WindowLayer, UiThreadCallsRunAtOnceWithoutAnEventLoop) {
  ProbeDialog dialog;
  // No event is processed between these calls: a call that queued itself would not show.
  dialog.setItemText(kLabel, "direct");
  dialog.enableItem(kButton, false);
  dialog.setItemCheck(kCheck, BST_CHECKED);
  dialog.showItem(kCheck, false);
  dialog.setItemTextColor(kLabel, QColor(200, 0, 0));
  EXPECT_EQ(dialog.itemText(kLabel), "direct");
  EXPECT_EQ(dialog.item(kLabel)->palette().color(QPalette::WindowText), QColor(200, 0, 0));
  EXPECT_FALSE(dialog.item(kButton)->isEnabled());
  EXPECT_EQ(dialog.itemCheck(kCheck), BST_CHECKED);
  EXPECT_TRUE(dialog.item(kCheck)->isHidden());
  EXPECT_EQ(dialog.itemCheck(kCheck), BST_CHECKED) << "a hidden box keeps its state";
}

TEST(WindowLayer, TimerSetFromWorkerTicksOnUiThreadUntilKilled) {
  ProbeDialog dialog;
  runOnWorker([&] { dialog.setDialogTimer(7, std::chrono::milliseconds(1)); });

  ASSERT_TRUE(waitUntil([&] { return dialog.tickCount(7) >= 3; }));
  for (const auto& tick : dialog.ticks) {
    EXPECT_EQ(tick.id, 7);
    EXPECT_TRUE(tick.onUiThread);
  }

  dialog.killDialogTimer(7);
  EXPECT_FALSE(dialog.isDialogTimerRunning(7));
  const int afterKill = dialog.tickCount(7);
  // A witness timer with the same period: while it ticks three times, 7 stays silent.
  dialog.setDialogTimer(8, std::chrono::milliseconds(1));
  ASSERT_TRUE(waitUntil([&] { return dialog.tickCount(8) >= 3; }));
  EXPECT_EQ(dialog.tickCount(7), afterKill);
  dialog.killDialogTimer(8);
}

TEST(WindowLayer, TimerKilledInsideItsOwnTickTicksOnce) {
  ProbeDialog dialog;
  dialog.killOnTick = 5;
  dialog.setDialogTimer(5, std::chrono::milliseconds(0));
  dialog.setDialogTimer(6, std::chrono::milliseconds(1));
  ASSERT_TRUE(waitUntil([&] { return dialog.tickCount(6) >= 5; }));
  EXPECT_EQ(dialog.tickCount(5), 1);
  EXPECT_FALSE(dialog.isDialogTimerRunning(5));

  // The id can be used again after it was killed.
  dialog.killOnTick = 0;
  dialog.setDialogTimer(5, std::chrono::milliseconds(1));
  ASSERT_TRUE(waitUntil([&] { return dialog.tickCount(5) >= 2; }));
}

TEST(WindowLayer, UpdateDataExchangesTextsBothWaysFromAnyThread) {
  ProbeDialog dialog;
  dialog.name = "0x0416";
  dialog.UpdateData(false);
  EXPECT_EQ(dialog.itemText(kEdit), "0x0416");

  dialog.setItemText(kEdit, "0x3f01");
  runOnWorker([&] { dialog.UpdateData(true); });
  EXPECT_EQ(dialog.name, "0x3f01");
}

TEST(WindowLayer, TextsKeepTheirUtf8AndAreNeverMarkup) {
  ProbeDialog dialog;
  dialog.setCaption("加载 Loader");
  dialog.setItemText(kLabel, "<b>成功</b>");
  EXPECT_EQ(dialog.caption(), "加载 Loader");
  auto* label = qobject_cast<QLabel*>(dialog.item(kLabel));
  EXPECT_EQ(label->text(), QString::fromUtf8("<b>成功</b>"));
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
}

TEST(WindowLayer, ResponderAnswersBoxesOnUiThreadInsteadOfTheOperator) {
  ProbeDialog dialog;
  std::vector<MessageBoxRequest> asked;
  bool answeredOnUiThread = false;
  dialog.setMessageBoxResponder([&](const MessageBoxRequest& request) {
    asked.push_back(request);
    answeredOnUiThread = QThread::currentThread() == qApp->thread();
    return IDYES;
  });

  int answer = 0;
  runOnWorker([&] {
    answer = dialog.messageBox("Whether to continue ?", kMessageCaption,
                               kMessageBoxQuestionDefaultNo);
  });

  EXPECT_EQ(answer, IDYES);
  EXPECT_TRUE(answeredOnUiThread);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], (MessageBoxRequest{"Whether to continue ?", "Tip", 260}));
}

// Waits, inside the box's own event loop, for the modal box; checks it and presses a key.
struct RealBoxProbe {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QString defaultButton;
  bool seen = false;

  void pressWhenShown(Qt::Key key) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll, key] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seen = true;
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      for (QAbstractButton* b : box->buttons()) buttons << b->text().remove('&');
      if (box->defaultButton()) defaultButton = box->defaultButton()->text().remove('&');
      poll->deleteLater();
      QTest::keyClick(box, key);
    });
    poll->start(1);
  }
};

TEST(WindowLayer, RealQuestionBoxAnswersNoByDefault) {
  ProbeDialog dialog;
  dialog.show();
  RealBoxProbe probe;
  probe.pressWhenShown(Qt::Key_Return);

  const int answer = dialog.messageBox("The type is not the same, Whether to continue updating ?",
                                       kMessageCaption, kMessageBoxQuestionDefaultNo);

  ASSERT_TRUE(probe.seen);
  EXPECT_EQ(answer, IDNO);
  EXPECT_EQ(probe.title, "Tip");
  EXPECT_EQ(probe.text, "The type is not the same, Whether to continue updating ?");
  EXPECT_EQ(probe.icon, QMessageBox::NoIcon);
  EXPECT_EQ(probe.buttons.size(), 2);
  EXPECT_TRUE(probe.buttons.contains("Yes") && probe.buttons.contains("No")) << probe.buttons.join(",").toStdString();
  EXPECT_EQ(probe.defaultButton, "No");
}

TEST(WindowLayer, RealStopBoxHasOneOkButtonAndTheStopIcon) {
  ProbeDialog dialog;
  dialog.show();
  RealBoxProbe probe;
  probe.pressWhenShown(Qt::Key_Escape);

  const int answer = dialog.messageBox("Time out !", kMessageCaption, kMessageBoxStop);

  ASSERT_TRUE(probe.seen);
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(probe.icon, QMessageBox::Critical);
  EXPECT_EQ(probe.buttons, QStringList{"OK"});
}

}  // namespace
