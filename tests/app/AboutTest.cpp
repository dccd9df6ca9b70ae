// The About entry (context menu and F1), the about box and its link label.
#include <QAction>
#include <QDesktopServices>
#include <QTest>
#include <QUrl>

#include "app/AboutDialog.h"
#include "app/LinkLabel.h"
#include "tests/app/DialogFixture.h"
#include "tests/app/TestSuites.h"

namespace {

// Takes the place of the desktop's browser for https addresses.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler("https", this, "Open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler("https"); }
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

}  // namespace

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void AboutEntryIsInTheContextMenuAndOnF1();
    void LinkShowsUnderlinedWithHandWhileHovering();
    void ClickOpensTheLinkText();
};

void AboutTest::AboutEntryIsInTheContextMenuAndOnF1() {
    DialogFixture f;
    QCOMPARE(f.Dialog().contextMenuPolicy(), Qt::ActionsContextMenu);
    const QList<QAction*> actions = f.Dialog().actions();
    QCOMPARE(actions.size(), 1);
    QCOMPARE(actions[0]->text(), QStringLiteral("KAVRO バージョン情報(&A)..."));
    QCOMPARE(actions[0]->shortcut(), QKeySequence(Qt::Key_F1));

    QString linkText;
    bool modalOverDialog = false;
    ModalWatcher watcher([&](QWidget& window) {
        auto* about = qobject_cast<AboutDialog*>(&window);
        modalOverDialog = about && about->isModal() && about->parentWidget() == &f.Dialog();
        if (about) linkText = FindControl<LinkLabel>(*about, kLinkLabel)->text();
        PressEnter(window);
    });
    f.Edit(kBitrateEdit).setFocus();
    TypeInto(f.Edit(kBitrateEdit), "99");
    QTest::keyClick(&f.Edit(kBitrateEdit), Qt::Key_F1);
    QCOMPARE(watcher.OtherWindows(), 1);
    QVERIFY(modalOverDialog);
    QVERIFY(linkText.startsWith("https://"));
    // Back to the dialog unchanged.
    QCOMPARE(f.Edit(kBitrateEdit).text(), QStringLiteral("99"));
    QVERIFY(f.Dialog().isVisible());
}

void AboutTest::LinkShowsUnderlinedWithHandWhileHovering() {
    AboutDialog about(nullptr);
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    LinkLabel& link = *FindControl<LinkLabel>(about, kLinkLabel);
    QVERIFY(link.font().underline());
    const QPoint outside(2, about.height() - 2);
    QTest::mouseMove(&about, outside);
    QCOMPARE(link.cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(&link, QPoint(5, link.height() / 2));
    QTRY_COMPARE(link.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&about, outside);
    QTRY_COMPARE(link.cursor().shape(), Qt::ArrowCursor);

    // Another window taking the activation ends the hover as well.
    QTest::mouseMove(&link, QPoint(5, link.height() / 2));
    QTRY_COMPARE(link.cursor().shape(), Qt::PointingHandCursor);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_COMPARE(link.cursor().shape(), Qt::ArrowCursor);
}

void AboutTest::ClickOpensTheLinkText() {
    UrlCatcher browser;
    QWidget window;
    auto* link = new LinkLabel("https://example.org/kavro", &window);
    link->setGeometry(0, 0, 200, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(link, Qt::RightButton);
    QVERIFY(browser.opened.isEmpty());
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(browser.opened, QList<QUrl>({QUrl("https://example.org/kavro")}));
}

KAVRO_TEST_SUITE(AboutTest);
#include "AboutTest.moc"
