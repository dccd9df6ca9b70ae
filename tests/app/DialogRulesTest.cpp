// The rules under the dialog's fields: reading whole numbers from edit texts, and placing
// controls by dialog units.
#include <QTest>

#include <optional>
#include <string>

#include "job/DialogInteger.h"
#include "app/DialogUnits.h"
#include "tests/app/TestSuites.h"

Q_DECLARE_METATYPE(std::optional<int32_t>)

class DialogRulesTest : public QObject {
    Q_OBJECT
private slots:
    void IntegerText_data();
    void IntegerText();
    void OnlyTheFirst31BytesAreRead();
    void DialogUnitsScaleByTheFontsBaseUnits();
};

void DialogRulesTest::IntegerText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<int32_t>>("expected");
    const std::optional<int32_t> none;
    QTest::newRow("plain") << "120" << std::optional<int32_t>(120);
    QTest::newRow("blanks and tabs around") << " \t 42\t " << std::optional<int32_t>(42);
    QTest::newRow("plus sign") << "+7" << std::optional<int32_t>(7);
    QTest::newRow("minus sign") << "-15" << std::optional<int32_t>(-15);
    QTest::newRow("leading zeros") << "007" << std::optional<int32_t>(7);
    QTest::newRow("zero") << "0" << std::optional<int32_t>(0);
    QTest::newRow("zero after blanks") << "  00 " << std::optional<int32_t>(0);
    QTest::newRow("signed zero is not a number") << "-0" << none;
    QTest::newRow("plus zero is not a number") << "+0" << none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("blanks only") << "   " << none;
    QTest::newRow("sign only") << "-" << none;
    QTest::newRow("blank after sign") << "- 5" << none;
    QTest::newRow("letters after digits") << "12abc" << none;
    QTest::newRow("two numbers") << "1 2" << none;
    QTest::newRow("decimal point") << "1.5" << none;
    QTest::newRow("full-width digits") << "１２" << none;
    QTest::newRow("too large saturates") << "99999999999" << std::optional<int32_t>(2147483647);
    QTest::newRow("too small saturates") << "-99999999999" << std::optional<int32_t>(-2147483647 - 1);
}

void DialogRulesTest::IntegerText() {
    QFETCH(QString, text);
    QFETCH(std::optional<int32_t>, expected);
    QCOMPARE(ParseDialogInteger(text.toStdString()), expected);
}

void DialogRulesTest::OnlyTheFirst31BytesAreRead() {
    // 30 blanks and "123": the 31 bytes read end after the "1".
    QCOMPARE(ParseDialogInteger(std::string(30, ' ') + "123"), std::optional<int32_t>(1));
    // Whatever follows the 31st byte is never looked at.
    QCOMPARE(ParseDialogInteger(std::string(31, '5') + "xyz"), std::optional<int32_t>(2147483647));
    QCOMPARE(ParseDialogInteger("5" + std::string(30, ' ') + "あ"), std::optional<int32_t>(5));
    // A double-byte character that starts inside the 31 bytes fails the number.
    QCOMPARE(ParseDialogInteger("5" + std::string(29, ' ') + "あ"), std::optional<int32_t>());
}

void DialogRulesTest::DialogUnitsScaleByTheFontsBaseUnits() {
    // Base units 7 x 15 (a 9-point font at 96 dpi): 251 x 287 units are 439 x 538 pixels
    // (439.25 and 538.125 rounded); 2 units across are 3.5 pixels, rounded up to 4.
    const DialogUnits units{7, 15};
    QCOMPARE(units.MapSize(251, 287), QSize(439, 538));
    QCOMPARE(units.Map(2, 4, 146, 14), QRect(4, 8, 256, 26));
}

KAVRO_TEST_SUITE(DialogRulesTest);
#include "DialogRulesTest.moc"
