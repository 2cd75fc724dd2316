#pragma once
// The window wired to a simulated radio on virtual time, with a small firmware set, for driving it as
// a user would: clicks, menu commands, and the window's own timers.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "UpdateDialog.h"
#include "engine/EngineRig.h"

namespace p25::testing {

// Virtual time that also lets a little real time pass in each sleep (a fiftieth), so the window's
// painting during the engine's pauses can be watched.
class PacedClock final : public Clock {
public:
  explicit PacedClock(VirtualClock& inner) : inner_(inner) {}
  uint64_t ElapsedMicros() const override { return inner_.ElapsedMicros(); }
  void SleepMicros(uint64_t us) override {
    if (paced) std::this_thread::sleep_for(std::chrono::microseconds(us / 50));
    inner_.SleepMicros(us);
  }
  bool paced = false;

private:
  VirtualClock& inner_;
};

// The engine tests' radio, restarting soon after the port is reopened (2000 ms after the reboot), so
// that the reboot wait takes few ticks.
inline SimulatedRadio::Options WindowRadio() {
  SimulatedRadio::Options options = RadioOptions();
  options.rebootMicros = 2'600'000;
  return options;
}

struct WindowRig {
  // With the small firmware set (less the resources named), or with the tests' full-size set.
  explicit WindowRig(SimulatedRadio::Options options = WindowRadio(), std::set<uint16_t> missing = {},
                     bool fullSet = false)
      : firmware(std::move(missing)), radio(options), paced(clock) {
    auto device = std::make_unique<SimulatedLine>(radio, clock);
    line = device.get();
    const ResourceSource& resources =
        fullSet ? static_cast<const ResourceSource&>(GeneratedFirmware()) : firmware;
    dialog = std::make_unique<UpdateDialog>(std::move(device), paced, EngineRig::Ports(), resources);
    dialog->SetExitAction([this] { ++exitActions; });
    folder = std::filesystem::temp_directory_path() / ("p25window-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    dialog->Engine().SetRecoveryDirectory(folder.string());
  }
  ~WindowRig() {
    dialog.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // The window's start-up, then shown as the application shows it.
  void Start() {
    dialog->InitDialog();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
  }

  template <class T = QWidget>
  T* At(int id) const {
    return qobject_cast<T*>(dialog->Control(id));
  }
  bool Shown(int id) const { return !dialog->Control(id)->isHidden(); }
  QString Text(int id) const {
    QWidget* control = dialog->Control(id);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    return {};
  }
  void Click(int id) {
    QTest::mouseClick(At(id), Qt::LeftButton);
    FollowUpdateTimer();
  }
  // Virtual time passes between ticks as real time does between the timer's expiries.
  void FollowUpdateTimer() {
    QTimer* timer = dialog->Timer(kUpdateTimer);
    if (timer == nullptr || timerFollowed) return;
    QObject::connect(timer, &QTimer::timeout,
                     [this] { clock.Advance(uint64_t{kUpdateTimerPeriodMs} * 1000); });
    timerFollowed = true;
  }
  UpdateEngine& Engine() { return dialog->Engine(); }

  // Lets the window's timers run until the engine rests in Finished.
  bool RunUntilFinished(int timeoutMs = 60000, const std::function<void()>& betweenTicks = {}) {
    return QTest::qWaitFor(
        [&] {
          if (betweenTicks) betweenTicks();
          return Engine().CurrentState() == UpdateState::Finished;
        },
        timeoutMs);
  }

  VirtualClock clock;
  SmallFirmware firmware;
  SimulatedRadio radio;
  PacedClock paced;
  SimulatedLine* line = nullptr;
  std::unique_ptr<UpdateDialog> dialog;
  std::filesystem::path folder;
  int exitActions = 0;
  bool timerFollowed = false;
};

// Answers the application's message boxes as they come up, recording what each said.
class BoxAnswerer {
public:
  struct Box {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    bool ownerVisible;
  };
  explicit BoxAnswerer(QWidget* owner, QMessageBox::StandardButton answer = QMessageBox::Ok)
      : owner_(owner), answer_(answer) {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Answer(); });
    poll_.start(5);
  }
  std::vector<Box> boxes;

private:
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    boxes.push_back(
        {box->windowTitle(), box->text(), box->icon(), box->standardButtons(), owner_->isVisible()});
    QAbstractButton* button = box->button(answer_);
    if (button == nullptr) button = box->buttons().value(0);
    button->click();
  }
  QWidget* owner_;
  QMessageBox::StandardButton answer_;
  QTimer poll_;
};

// Writes a picture of a window next to the tests' build files.
inline QString SaveScreenshot(QWidget* window, const QString& name) {
  const QString path = QDir(QStringLiteral(P25_SCREENSHOT_DIR)).filePath(name);
  window->grab().save(path);
  return path;
}

}  // namespace p25::testing
