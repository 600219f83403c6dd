// Qt's own standard texts (buttons, standard dialogs) speak German, whatever the system's
// language is.

#include "app/startup.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLocale>
#include <QPushButton>
#include <QTest>

class TestQtTexts : public QObject {
    Q_OBJECT
private slots:
    void standardButtonsAreGerman();
};

void TestQtTexts::standardButtonsAreGerman() {
    // The tests run in an English or C locale: the translation must not depend on it.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QDialogButtonBox before(QDialogButtonBox::Cancel);
    const QString english = before.button(QDialogButtonBox::Cancel)->text();
    if (!InstallQtGermanTexts())
        QSKIP("Qt's German translations (qt6-translations-l10n) are not installed");
    QVERIFY(InstallQtGermanTexts()); // a second call keeps the one translator
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Open |
                         QDialogButtonBox::Save);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
             QStringLiteral("Abbrechen"));
    QCOMPARE(box.button(QDialogButtonBox::Save)->text().remove(QLatin1Char('&')),
             QStringLiteral("Speichern"));
    QVERIFY(english != box.button(QDialogButtonBox::Cancel)->text());
    // A text of the file dialog itself.
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Suchen in:"));
}

QTEST_MAIN(TestQtTexts)
#include "tst_qttexts.moc"
