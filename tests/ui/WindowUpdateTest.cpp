// Updates through the window: the button's three captions, the lists, the status area as an update
// runs, succeeds and fails, and painting while the engine waits.
#include <QEvent>
#include <fstream>
#include <set>

#include "WindowRig.h"

namespace p25::testing {

namespace {

// Remembers every status control that was ever shown.
class ShowRecorder : public QObject {
public:
  explicit ShowRecorder(WindowRig& rig) {
    for (int id : {kIdOverallProgress, kIdStepProgress, kIdTimeCaption, kIdTimeValue, kIdBytesCaption,
                   kIdBytesValue, kIdPicture, kIdActivityLine, kIdErrorLine})
      rig.At(id)->installEventFilter(this);
  }
  std::set<int> shown;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShowToParent) shown.insert(watched->objectName().toInt());
    return false;
  }
};

// Counts the activity line's paints that happen while the engine is busy in a tick.
class PaintCounter : public QObject {
public:
  explicit PaintCounter(UpdateDialog& dialog) : dialog_(dialog) {}
  int paintsWhileBusy = 0;

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && dialog_.EngineBusy()) ++paintsWhileBusy;
    return false;
  }

private:
  UpdateDialog& dialog_;
};

}  // namespace

class WindowUpdateTest : public QObject {
  Q_OBJECT

private slots:
  void updateAndCancelToggleTheButtonAndTheLists() {
    WindowRig rig;
    rig.Start();
    rig.Click(kIdUpdateButton);
    QCOMPARE(rig.Text(kIdUpdateButton), QStringLiteral("&Cancel"));
    QVERIFY(!rig.At(kIdPortList)->isEnabled());
    QVERIFY(!rig.At(kIdBaudList)->isEnabled());
    QVERIFY(!rig.Shown(kIdPicture));
    QTimer* tick = rig.dialog->Timer(kUpdateTimer);
    QVERIFY(tick != nullptr && tick->isActive());
    QCOMPARE(tick->interval(), 50);
    // Let it get under way: the activity line is up.
    QVERIFY(QTest::qWaitFor([&] { return rig.Text(kIdActivityLine) == "Initializing transfer"; }));
    QVERIFY(rig.Shown(kIdActivityLine));

    rig.Click(kIdUpdateButton);
    QCOMPARE(rig.Text(kIdUpdateButton), QStringLiteral("&Update"));
    QVERIFY(!tick->isActive());
    QVERIFY(rig.At(kIdPortList)->isEnabled() && rig.At(kIdBaudList)->isEnabled());
    QVERIFY(rig.Shown(kIdPicture));
    for (int id : {kIdActivityLine, kIdErrorLine, kIdOverallProgress, kIdStepProgress, kIdTimeCaption,
                   kIdTimeValue, kIdBytesCaption, kIdBytesValue})
      QVERIFY2(!rig.Shown(id), qPrintable(QString::number(id)));
    QVERIFY(rig.Shown(kIdVersion503Control) && rig.Shown(kIdVersion501Control));
  }

  void theChosenListRowsAreWhatTheEngineUsesAndLowers() {
    SimulatedRadio::Options options = WindowRadio();
    options.faults.refusedRates = {38400};
    WindowRig rig(options);
    rig.Start();
    rig.At<QComboBox>(kIdPortList)->setCurrentIndex(9);
    rig.Click(kIdUpdateButton);
    QCOMPARE(rig.Engine().Values().selectedPortIndex, 9);
    QCOMPARE(rig.Engine().Values().selectedBaudIndex, 2);
    QVERIFY(QTest::qWaitFor([&] { return rig.line->IsOpen(); }));
    QCOMPARE(QString::fromStdString(rig.line->DeviceName()), QStringLiteral("\\\\.\\COM10"));
    QCOMPARE(rig.At<QComboBox>(kIdPortList)->currentText(), QStringLiteral("COM10"));
    // The radio refuses 38400; the list shows the rate the link settled on.
    QVERIFY(QTest::qWaitFor([&] { return rig.Engine().PreviousState() >= UpdateState::CheckCompatibility; }));
    QCOMPARE(rig.At<QComboBox>(kIdBaudList)->currentText(), QStringLiteral("19200"));
    rig.Click(kIdUpdateButton);
    QCOMPARE(rig.At<QComboBox>(kIdBaudList)->currentText(), QStringLiteral("19200"));
  }

  void aWholeUpdateEndsWithOkAndOkReturnsToIdle() {
    WindowRig rig;
    rig.Start();
    ShowRecorder recorder(rig);
    PaintCounter painter(*rig.dialog);
    rig.At(kIdActivityLine)->installEventFilter(&painter);
    rig.paced.paced = true;
    bool pleaseWaitSeen = false;
    int pausesProbed = 0;
    // A probe that runs whenever the window handles events: inside the engine's state-change pause
    // (busy, with the new state not yet run) a timer expiry must not start a second tick.
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
      UpdateEngine& engine = rig.Engine();
      if (!rig.dialog->EngineBusy() || engine.PreviousState() == engine.CurrentState()) return;
      const UpdateState before = engine.PreviousState();
      rig.dialog->OnTimer(kUpdateTimer);
      QCOMPARE(engine.PreviousState(), before);
      ++pausesProbed;
    });
    probe.start(1);

    rig.Click(kIdUpdateButton);
    QVERIFY(rig.RunUntilFinished(60000,
                                 [&] { pleaseWaitSeen = pleaseWaitSeen || rig.dialog->IsPleaseWaitOpen(); }));
    probe.stop();

    QCOMPARE(rig.Text(kIdActivityLine), QStringLiteral("Update Completed Succesfully"));
    QCOMPARE(rig.Text(kIdUpdateButton), QStringLiteral("&OK"));
    QVERIFY(rig.Shown(kIdActivityLine));
    QVERIFY(!rig.Shown(kIdErrorLine));
    QVERIFY(!rig.Shown(kIdPicture));
    QCOMPARE(rig.At<QProgressBar>(kIdOverallProgress)->value(), 100);
    QCOMPARE(rig.Text(kIdBytesValue), QStringLiteral("0"));
    QVERIFY(pleaseWaitSeen);
    QVERIFY(!rig.dialog->IsPleaseWaitOpen());
    QVERIFY(!rig.dialog->Timer(kRebootWatchdogTimer)->isActive());
    const std::set<int> everShown = {kIdOverallProgress, kIdStepProgress, kIdTimeCaption, kIdTimeValue,
                                     kIdBytesCaption,    kIdBytesValue,   kIdActivityLine};
    QVERIFY(std::includes(recorder.shown.begin(), recorder.shown.end(), everShown.begin(), everShown.end()));
    QCOMPARE(rig.radio.SerialNumber(), 12345u);
    // The window kept painting during the engine's waits, and no tick ran inside another.
    QVERIFY(pausesProbed > 0);
    QVERIFY(painter.paintsWhileBusy > 0);

    rig.Click(kIdUpdateButton);
    QCOMPARE(rig.Text(kIdUpdateButton), QStringLiteral("&Update"));
    QVERIFY(rig.Shown(kIdPicture));
    QVERIFY(!rig.Shown(kIdActivityLine));
    QVERIFY(!rig.Shown(kIdOverallProgress));
    QVERIFY(rig.At(kIdPortList)->isEnabled());
    QVERIFY(!rig.dialog->Timer(kUpdateTimer)->isActive());
  }

  void aRunningUpdateOfAFullSizeSet() {
    WindowRig rig(WindowRadio(), {}, true);
    rig.Start();
    rig.Click(kIdUpdateButton);
    // Well into the second CONTROL block, where every readout has something to say.
    QVERIFY(QTest::qWaitFor(
        [&] {
          return rig.Engine().PreviousState() == UpdateState::WriteControlB &&
                 !rig.Engine().Values().TimeRemainingText.empty() &&
                 rig.At<QProgressBar>(kIdStepProgress)->value() >= 40;
        },
        60000));
    for (int id : {kIdActivityLine, kIdOverallProgress, kIdStepProgress, kIdTimeCaption, kIdTimeValue,
                   kIdBytesCaption, kIdBytesValue})
      QVERIFY2(rig.Shown(id), qPrintable(QString::number(id)));
    QVERIFY(!rig.Shown(kIdPicture) && !rig.Shown(kIdErrorLine));
    QCOMPARE(rig.Text(kIdActivityLine), QStringLiteral("Downloading CONTROL code block 2 to radio"));
    QCOMPARE(rig.Text(kIdTimeValue), QString::fromStdString(rig.Engine().Values().TimeRemainingText));
    SaveScreenshot(rig.dialog.get(), QStringLiteral("window-updating.png"));
    rig.Click(kIdUpdateButton);
    QCOMPARE(rig.Text(kIdUpdateButton), QStringLiteral("&Update"));
  }

  void aFailedWriteShowsTheErrorLineInPlaceOfTheImageBar() {
    SimulatedRadio::Options options = WindowRadio();
    options.faults.powerLossAfterWrites = 4;
    WindowRig rig(options);
    rig.Start();
    rig.Click(kIdUpdateButton);
    QVERIFY(rig.RunUntilFinished());
    const QString error = rig.Text(kIdErrorLine);
    QVERIFY2(error.startsWith(QStringLiteral("Error: ")), qPrintable(error));
    QCOMPARE(error, QString::fromStdString(rig.Engine().Values().ErrorText));
    QVERIFY(rig.Shown(kIdErrorLine));
    QCOMPARE(rig.Text(kIdUpdateButton), QStringLiteral("&Cancel"));
    // The engine keeps ticking in Finished; what the error line covers stays hidden.
    QTest::qWait(300);
    QVERIFY(rig.dialog->Timer(kUpdateTimer)->isActive());
    for (int id : {kIdStepProgress, kIdTimeCaption, kIdTimeValue, kIdPicture})
      QVERIFY2(!rig.Shown(id), qPrintable(QString::number(id)));
    for (int id : {kIdOverallProgress, kIdBytesCaption, kIdBytesValue, kIdActivityLine})
      QVERIFY2(rig.Shown(id), qPrintable(QString::number(id)));
    SaveScreenshot(rig.dialog.get(), QStringLiteral("window-failed.png"));

    rig.Click(kIdUpdateButton);
    QVERIFY(!rig.Shown(kIdErrorLine));
    QVERIFY(!rig.Shown(kIdActivityLine));
    QVERIFY(rig.Shown(kIdPicture));
  }

  void aSupportLogThatCannotBeWrittenIsOneBoxAndTheUpdateGoesOn() {
    WindowRig rig;
    std::ofstream(rig.folder / "file") << "not a folder";
    rig.dialog->KeepSupportLog((rig.folder / "file" / "logs").string(), true);
    rig.Start();
    BoxAnswerer answerer(rig.dialog.get());
    rig.Click(kIdUpdateButton);
    QVERIFY(rig.RunUntilFinished());
    QCOMPARE(rig.Text(kIdActivityLine), QStringLiteral("Update Completed Succesfully"));
    QCOMPARE(answerer.boxes.size(), size_t{1});
    QVERIFY(answerer.boxes[0].text.startsWith(QStringLiteral("The support log could not be written (")));
  }

  void anUpdateFailingBeforeBootModeNeverShowsTheBars() {
    WindowRig rig;
    rig.Start();
    rig.line->SetOpenFails(true);
    ShowRecorder recorder(rig);
    rig.Click(kIdUpdateButton);
    QVERIFY(rig.RunUntilFinished());
    QVERIFY2(rig.Text(kIdErrorLine).contains(QStringLiteral("Failed to open communications port")),
             qPrintable(rig.Text(kIdErrorLine)));
    QCOMPARE(recorder.shown, (std::set<int>{kIdActivityLine, kIdErrorLine}));
    QVERIFY(!rig.Shown(kIdPicture));
  }
};

}  // namespace p25::testing

QTEST_MAIN(p25::testing::WindowUpdateTest)
#include "WindowUpdateTest.moc"
