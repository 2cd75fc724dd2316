// The help, About and "Please Wait" windows, and leaving the program by Exit or the close box.
#include <QPushButton>

#include "Version.h"
#include "WindowRig.h"
#include "platform/LogFolder.h"

namespace p25::testing {

namespace {

QDialog* HelpWindow(WindowRig& rig) { return rig.dialog->HelpWindow().Window(); }

int OpenWindowsNamed(const QString& name) {
  int count = 0;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == name && window->isVisible()) ++count;
  return count;
}

}  // namespace

class AuxWindowsTest : public QObject {
  Q_OBJECT

private slots:
  void helpShowsThreeCentredLinesAndOpensAgainAfterOk() {
    WindowRig rig;
    rig.Start();
    rig.dialog->HelpControlsAction()->trigger();
    QDialog* help = HelpWindow(rig);
    QVERIFY(help != nullptr && help->isVisible());
    QVERIFY(!help->isModal());
    QCOMPARE(help->windowTitle(), QStringLiteral("Update Control Help"));
    auto* text = help->findChild<QLabel*>(QStringLiteral("1070"));
    QVERIFY(text != nullptr);
    const QString helpText = text->text();
    const QStringList lines = helpText.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[0],
             QStringLiteral("For help with this update, call Ovrane Technical Support at 1-800-555-0147."));
    QVERIFY(lines[1].isEmpty());
    QCOMPARE(lines[2],
             QStringLiteral("Update will check the hardware version of the attached radio (7305812-501 or "
                            "7305812-503 or later) and automatically select the correct software version."));
    QVERIFY(lines[3].isEmpty());
    QVERIFY(lines[4].contains(QStringLiteral("switch the radio off and on")));
    QVERIFY(lines[6].contains(QString::fromStdString(DefaultLogFolder())));
    QVERIFY(text->alignment() & Qt::AlignHCenter);
    QVERIFY(text->wordWrap());
    SaveScreenshot(help, QStringLiteral("window-help.png"));

    // Opening it again while open brings the same window forward.
    rig.dialog->HelpControlsAction()->trigger();
    QCOMPARE(HelpWindow(rig), help);
    QCOMPARE(OpenWindowsNamed(QStringLiteral("ControlsHelpDialog")), 1);

    QTest::mouseClick(help->findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
    QVERIFY(!rig.dialog->HelpWindow().IsOpen());
    rig.dialog->HelpControlsAction()->trigger();
    QVERIFY(rig.dialog->HelpWindow().IsOpen());
    QCOMPARE(HelpWindow(rig)->findChild<QLabel*>(QStringLiteral("1070"))->text(), helpText);

    // Escape closes it too, leaving nothing behind that the next opening cannot replace.
    QTest::keyClick(HelpWindow(rig), Qt::Key_Escape);
    QVERIFY(!rig.dialog->HelpWindow().IsOpen());
    QCOMPARE(OpenWindowsNamed(QStringLiteral("ControlsHelpDialog")), 0);
  }

  void aboutIsModalAndTheUpdateGoesOnBehindIt() {
    WindowRig rig;
    rig.Start();
    rig.Click(kIdUpdateButton);
    QString title;
    QString version;
    bool blocked = false;
    bool engineMoved = false;
    QTimer::singleShot(0, [&] {
      QDialog* about = rig.dialog->AboutWindow().Window();
      QVERIFY(about != nullptr);
      title = about->windowTitle();
      for (QLabel* label : about->findChildren<QLabel*>())
        if (!label->text().isEmpty()) version = label->text();
      blocked = QApplication::activeModalWidget() == about;
      SaveScreenshot(about, QStringLiteral("window-about.png"));
      const UpdateState start = rig.Engine().PreviousState();
      engineMoved = QTest::qWaitFor([&] { return rig.Engine().PreviousState() != start; });
      QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
    });
    rig.dialog->HelpAboutAction()->trigger();  // returns when the window is closed
    QCOMPARE(title, QStringLiteral("About Update"));
    QCOMPARE(version, QStringLiteral(P25_ABOUT_VERSION_TEXT));
    QVERIFY(blocked);
    QVERIFY(engineMoved);
    QVERIFY(!rig.dialog->AboutWindow().IsOpen());
  }

  void pleaseWaitHasNoButtonsAndIgnoresEscape() {
    WindowRig rig;
    rig.Start();
    QVERIFY(rig.dialog->OpenPleaseWait());
    QDialog* wait = rig.dialog->PleaseWaitWindow().Window();
    QVERIFY(wait != nullptr && wait->isVisible());
    QVERIFY(!wait->isModal());
    QCOMPARE(wait->windowTitle(), QStringLiteral("Please Wait"));
    QVERIFY(wait->findChildren<QPushButton*>().isEmpty());
    QCOMPARE(wait->findChild<QLabel*>(QStringLiteral("1028"))->text(), QStringLiteral("Please Wait."));
    QCOMPARE(wait->findChild<QLabel*>(QStringLiteral("1029"))->text(),
             QStringLiteral("Do not disconnect the radio while the orange LED is lit."));
    SaveScreenshot(wait, QStringLiteral("window-please-wait.png"));
    QTest::keyClick(wait, Qt::Key_Escape);
    QVERIFY(rig.dialog->IsPleaseWaitOpen());

    // Its close box and the engine's closing leave the same state; a second close does nothing.
    wait->close();
    QVERIFY(!rig.dialog->IsPleaseWaitOpen());
    rig.dialog->ClosePleaseWait();
    QVERIFY(!rig.dialog->IsPleaseWaitOpen());
    QVERIFY(rig.dialog->OpenPleaseWait());
    rig.dialog->ClosePleaseWait();
    QVERIFY(!rig.dialog->IsPleaseWaitOpen());
  }

  void exitEndsTheProgramAtOnce() {
    WindowRig rig;
    rig.Start();
    rig.dialog->HelpControlsAction()->trigger();
    rig.Click(kIdExitButton);
    QVERIFY(rig.dialog->HasExited());
    QCOMPARE(rig.exitActions, 1);
    QVERIFY(!rig.dialog->isVisible());
    QVERIFY(!rig.dialog->HelpWindow().IsOpen());
  }

  void theCloseBoxDuringAnUpdateActsAsExit() {
    WindowRig rig;
    rig.Start();
    rig.Click(kIdUpdateButton);
    QVERIFY(QTest::qWaitFor([&] { return rig.line->IsOpen(); }));
    QVERIFY(rig.dialog->OpenPleaseWait());
    rig.dialog->close();
    QVERIFY(rig.dialog->HasExited());
    QCOMPARE(rig.exitActions, 1);
    QVERIFY(!rig.dialog->isVisible());
    QVERIFY(!rig.dialog->IsPleaseWaitOpen());
    QVERIFY(!rig.dialog->Timer(kUpdateTimer)->isActive());
    // No tick runs after the window has gone.
    const UpdateState stopped = rig.Engine().PreviousState();
    QTest::qWait(200);
    QCOMPARE(rig.Engine().PreviousState(), stopped);
  }
};

}  // namespace p25::testing

QTEST_MAIN(p25::testing::AuxWindowsTest)
#include "AuxWindowsTest.moc"
