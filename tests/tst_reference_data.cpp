#include "forms/Form1.h"
#include "forms/Form3.h"
#include "forms/Form4.h"
#include "forms/Form6.h"
#include "forms/Form7.h"
#include "forms/Form8.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <algorithm>

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using TestSupport::MessageRecorder;

// The reference windows as a player meets them: opened from the menu, over the shipped sample data.
class tst_ReferenceData : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { TestSupport::unloadAllForms(); }

    void opensFromMenuBottomRight_data();
    void opensFromMenuBottomRight();
    void sampleListsScrollAndKeepIndentation();
    void everyEnabledProfessionHasItsFile();
    void everySkillGroupHasItsFile();

private:
    QString previousFolder_;
};

void tst_ReferenceData::initTestCase() {
    TestSupport::initApplication();
    const QString source = qEnvironmentVariable("QMQUERY_SOURCE_DIR");
    if (source.isEmpty())
        QFAIL("QMQUERY_SOURCE_DIR must name the source tree");
    Module1::setProgramFolder(source + QStringLiteral("/data"));
}

void tst_ReferenceData::opensFromMenuBottomRight_data() {
    QTest::addColumn<int>("menuButton");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("title");
    QTest::newRow("synthesis") << 2 << QStringLiteral("Form3") << QStringLiteral("合成资料");
    QTest::newRow("professions") << 3 << QStringLiteral("Form4") << QStringLiteral("职业");
    QTest::newRow("usage notes") << 5 << QStringLiteral("Form6") << QStringLiteral("說明");
    QTest::newRow("cooking") << 6 << QStringLiteral("Form7") << QStringLiteral("料理~藥品");
    QTest::newRow("skills") << 7 << QStringLiteral("Form8") << QStringLiteral("技能");
}

void tst_ReferenceData::opensFromMenuBottomRight() {
    QFETCH(int, menuButton);
    QFETCH(QString, window);
    QFETCH(QString, title);
    MessageRecorder messages;
    auto* menu = FormBase::open<Form1>();
    QTest::mouseClick(menu->Command[menuButton], Qt::LeftButton);
    QWidget* form = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == window && w->isVisible())
            form = w;
    }
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), title);
    const QRect screen = form->screen()->geometry();
    const QRect frame = form->frameGeometry();
    QVERIFY(qAbs((screen.right() + 1 - (frame.left() + frame.width())) * 15 - 100) <= 15);
    QVERIFY(qAbs((screen.bottom() + 1 - (frame.top() + frame.height())) * 15 - 80) <= 15);
    QVERIFY(messages.messages.isEmpty());
}

void tst_ReferenceData::sampleListsScrollAndKeepIndentation() {
    MessageRecorder messages;
    auto* synthesis = FormBase::open<Form3>();
    auto* cooking = FormBase::open<Form7>();
    QVERIFY(synthesis->List1->listCount() >= 60);
    QVERIFY(cooking->List1->listCount() >= 60);
    QVERIFY(synthesis->List1->items().contains(QString()));
    QVERIFY(cooking->List1->items().contains(QString()));
    const auto indented = [](const QStringList& items) {
        return std::count_if(items.begin(), items.end(), [](const QString& s) { return s.startsWith(u' '); });
    };
    QVERIFY(indented(synthesis->List1->items()) > 0);
    QCOMPARE(indented(cooking->List1->items()), 0);
    QVERIFY(messages.messages.isEmpty());
}

void tst_ReferenceData::everyEnabledProfessionHasItsFile() {
    MessageRecorder messages;
    auto* form = FormBase::open<Form4>();
    int enabled = 0;
    for (int number = 1; number <= 28; ++number) {
        QPushButton* button = form->Command[number];
        if (!button->isEnabled())
            continue;
        ++enabled;
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY2(form->Text1->text().contains(QStringLiteral("\r\n  ")), qPrintable(button->text()));
    }
    QCOMPARE(enabled, 21);
    QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.texts().join(u'\n')));
}

void tst_ReferenceData::everySkillGroupHasItsFile() {
    MessageRecorder messages;
    auto* form = FormBase::open<Form8>();
    for (QPushButton* button : form->Command1) {
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY2(form->Text1->text().count(QStringLiteral("\r\n")) > 10, qPrintable(button->text()));
    }
    QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.texts().join(u'\n')));
}

QTEST_MAIN(tst_ReferenceData)
#include "tst_reference_data.moc"
