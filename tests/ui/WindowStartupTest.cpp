// The window as it opens: lists, selections, what shows and what hides, the version area, the
// overlapping status controls, the notices about missing images, and the keys that must do nothing.
#include <QGroupBox>
#include <QMenuBar>

#include "Artwork.h"
#include "ui/common/WindowDescription.h"
#include "WindowRig.h"

namespace p25::testing {

class WindowStartupTest : public QObject {
  Q_OBJECT

private slots:
  void opensIdleWithTheCarriedVersions() {
    WindowRig rig;
    rig.Start();
    UpdateDialog& dialog = *rig.dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Ovrane 25 Firmware Update"));
    QVERIFY(!dialog.windowIcon().isNull());
    QCOMPARE(rig.Text(kIdUpdateButton), QStringLiteral("&Update"));
    QCOMPARE(rig.Text(kIdExitButton), QStringLiteral("&Exit"));
    QVERIFY(rig.At<QPushButton>(kIdUpdateButton)->isDefault());

    auto* ports = rig.At<QComboBox>(kIdPortList);
    QCOMPARE(ports->count(), 10);
    QCOMPARE(ports->itemText(0), QStringLiteral("COM1"));
    QCOMPARE(ports->itemText(9), QStringLiteral("COM10"));
    QCOMPARE(ports->currentText(), QStringLiteral("COM1"));
    auto* bauds = rig.At<QComboBox>(kIdBaudList);
    QCOMPARE(bauds->count(), 3);
    QCOMPARE(bauds->itemText(0), QStringLiteral("9600"));
    QCOMPARE(bauds->itemText(1), QStringLiteral("19200"));
    QCOMPARE(bauds->currentText(), QStringLiteral("38400"));
    QVERIFY(ports->isEnabled() && bauds->isEnabled());

    // Status area: only the picture.
    QVERIFY(rig.Shown(kIdPicture));
    for (int id : {kIdActivityLine, kIdErrorLine, kIdOverallProgress, kIdStepProgress, kIdTimeCaption,
                   kIdTimeValue, kIdBytesCaption, kIdBytesValue})
      QVERIFY2(!rig.Shown(id), qPrintable(QString::number(id)));

    // One line per family, without DSP rows, path fields, the FLASH row or the older captions.
    for (int id : {kIdGroup503, kIdGroup501, kIdCaption503Control, kIdCaption501Control, kIdVersion503Control,
                   kIdVersion501Control})
      QVERIFY2(rig.Shown(id), qPrintable(QString::number(id)));
    QCOMPARE(rig.Text(kIdCaption503Control), QStringLiteral("S/W Version"));
    QCOMPARE(rig.Text(kIdVersion503Control), QStringLiteral("8.3"));
    QCOMPARE(rig.Text(kIdCaption501Control), QStringLiteral("S/W Version"));
    QCOMPARE(rig.Text(kIdVersion501Control), QStringLiteral("5.13"));
    for (int id : {kIdCaption503Dsp, kIdVersion503Dsp, kIdCaption501Dsp, kIdVersion501Dsp, kIdPathControlA,
                   kIdPathControlB, kIdPathDsp, kIdPathControl, kIdPathDsp501, kIdPathFlash, kIdCaptionFlash,
                   kIdVersionFlash, kIdCaptionControl1, kIdCaptionControl2, kIdCaptionDspUnnamed,
                   kIdCaptionControl, kIdCaptionDsp})
      QVERIFY2(!rig.Shown(id), qPrintable(QString::number(id)));
    QCOMPARE(rig.At<QGroupBox>(kIdGroup503)->title(), QStringLiteral("503+"));

    // Fixed size, a Help menu with Controls and About.
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.MenuBar()->actions().size(), 1);
    QCOMPARE(dialog.MenuBar()->actions().at(0)->text(), QStringLiteral("&Help"));
    QCOMPARE(dialog.HelpControlsAction()->text(), QStringLiteral("&Controls"));
    QCOMPARE(dialog.HelpAboutAction()->text(), QStringLiteral("&About"));

    // Keyboard order: Update, Exit, port list, baud list.
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), rig.At(kIdUpdateButton));
    for (int id : {kIdExitButton, kIdPortList, kIdBaudList, kIdUpdateButton}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), rig.At(id));
    }
    SaveScreenshot(&dialog, QStringLiteral("window-idle.png"));
  }

  void statusControlsOverlapAsLaidOut() {
    WindowRig rig;
    rig.Start();
    const auto place = [&](int id) { return rig.At(id)->geometry(); };
    // The error line covers the image bar, the picture and the top of the time readout; the bars and
    // readouts keep clear of the buttons and of each other.
    QVERIFY(place(kIdErrorLine).intersects(place(kIdStepProgress)));
    QVERIFY(place(kIdErrorLine).intersects(place(kIdPicture)));
    QVERIFY(place(kIdErrorLine).intersects(place(kIdTimeValue)));
    QVERIFY(!place(kIdErrorLine).intersects(place(kIdActivityLine)));
    QVERIFY(!place(kIdOverallProgress).intersects(place(kIdBytesValue)));
    QVERIFY(!place(kIdUpdateButton).intersects(place(kIdActivityLine)));
    QVERIFY(!place(kIdPortList).intersects(place(kIdUpdateButton)));
    QVERIFY(!place(kIdPortList).intersects(place(kIdBaudList)));
    // Everything fits in the window; the logo fits in its frame.
    const QRect client = rig.At(kIdPicture)->parentWidget()->rect();
    for (const ui::ControlTemplate& t : ui::kMainWindow.controls)
      if (t.id != ui::kNoId) QVERIFY2(client.contains(place(t.id)), qPrintable(QString::number(t.id)));
    QVERIFY(rig.At<QLabel>(kIdPicture)->contentsRect().width() >= kLogoWidth);
    QVERIFY(rig.At<QLabel>(kIdPicture)->contentsRect().height() >= kLogoHeight);
  }

  void missingImagesAreNoticedBeforeTheWindowShows() {
    WindowRig rig(WindowRadio(), {101});
    BoxAnswerer answerer(rig.dialog.get());
    rig.dialog->InitDialog();
    QCOMPARE(answerer.boxes.size(), size_t{2});
    QCOMPARE(answerer.boxes[0].text, QStringLiteral("FLASH Signature unavailable"));
    QCOMPARE(answerer.boxes[1].text, QStringLiteral("Flash Signature unavailable"));
    for (const auto& box : answerer.boxes) {
      QCOMPARE(box.caption, QStringLiteral("Update"));
      QCOMPARE(box.icon, QMessageBox::Warning);
      QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
      QVERIFY(!box.ownerVisible);
    }
    // The window opens all the same.
    QCOMPARE(rig.At<QComboBox>(kIdBaudList)->currentText(), QStringLiteral("38400"));
  }

  void escapeAndEnterKeys() {
    WindowRig rig;
    rig.Start();
    QTest::keyClick(rig.dialog.get(), Qt::Key_Escape);
    QVERIFY(rig.dialog->isVisible());
    QVERIFY(!rig.dialog->HasExited());
    // Enter presses the default button.
    rig.At(kIdPortList)->setFocus();
    QTest::keyClick(rig.dialog.get(), Qt::Key_Return);
    QCOMPARE(rig.Text(kIdUpdateButton), QStringLiteral("&Cancel"));
  }
};

}  // namespace p25::testing

QTEST_MAIN(p25::testing::WindowStartupTest)
#include "WindowStartupTest.moc"
