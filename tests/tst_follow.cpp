#include "forms/Form2.h"
#include "forms/Form4.h"
#include "modules/FileFollower.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

// The windows follow the data files they show while the player edits them.
class tst_Follow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void savesAreShown_data();
    void savesAreShown();
    void halfWrittenSaveIsNotShown();
    void paneKeepsItsPlace();
};

namespace {

enum class Save { InPlace, RenamedOver, DeletedAndMadeAgain };

void save(const QString& path, const QByteArray& bytes, Save how) {
    if (how == Save::DeletedAndMadeAgain) {
        QVERIFY(QFile::remove(path));
        QTest::qWait(FileFollower::kQuietMs * 2); // the file is seen to be gone before it is back
    }
    const QString target = how == Save::RenamedOver ? path + QStringLiteral(".new") : path;
    QFile f(target);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    if (how == Save::RenamedOver)
        QVERIFY(std::rename(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0);
}

} // namespace

Q_DECLARE_METATYPE(Save)

void tst_Follow::savesAreShown_data() {
    QTest::addColumn<Save>("how");
    QTest::newRow("written in place") << Save::InPlace;
    QTest::newRow("new file renamed over the old") << Save::RenamedOver;
    QTest::newRow("deleted, then made again") << Save::DeletedAndMadeAgain;
}

// The list is read again as the region button would; the picked entry stays picked where it now is.
void tst_Follow::savesAreShown() {
    QFETCH(Save, how);
    ProgramFolder folder;
    const QString path =
        folder.writeCp950(QStringLiteral("芙蕾雅島.txt"), QStringLiteral("港口\r\n廣場\r\n"));
    MessageRecorder messages;
    auto* form = FormBase::open<Form2>();
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    form->List1->setListIndex(1);
    save(path, TestSupport::toCp950(QStringLiteral("新地點\r\n港口\r\n門口\r\n廣場 (5,6)\r\n廣場\r\n")), how);
    QTRY_COMPARE(form->List1->listCount(), 5);
    QCOMPARE(form->List1->listIndex(), 4);
    QCOMPARE(form->Text1->text(), QStringLiteral("廣場"));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Follow::halfWrittenSaveIsNotShown() {
    ProgramFolder folder;
    const QString path = folder.writeCp950(QStringLiteral("職業\\劍士.txt"), QStringLiteral("舊\r\n"));
    MessageRecorder messages;
    auto* form = FormBase::open<Form4>();
    QTest::mouseClick(form->Command[1], Qt::LeftButton);
    QStringList shown;
    connect(form->Text1, &QPlainTextEdit::textChanged, this, [&] { shown << form->Text1->text(); });
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("half");
    f.flush();
    QTest::qWait(FileFollower::kQuietMs / 3);
    f.write(" and the rest\r\n");
    f.close();
    QTRY_COMPARE(form->Text1->text(), QStringLiteral("half and the rest\r\n"));
    QVERIFY2(!shown.contains(QStringLiteral("half\r\n")), qPrintable(shown.join(u'|')));

    // A file that goes away leaves the pane as it is, without a message.
    QVERIFY(QFile::remove(path));
    QTest::qWait(FileFollower::kQuietMs * 3);
    QCOMPARE(form->Text1->text(), QStringLiteral("half and the rest\r\n"));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Follow::paneKeepsItsPlace() {
    ProgramFolder folder;
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("第%1行\r\n").arg(i);
    const QString path = folder.writeCp950(QStringLiteral("職業\\劍士.txt"), text);
    auto* form = FormBase::open<Form4>();
    QTest::mouseClick(form->Command[1], Qt::LeftButton);
    QScrollBar* bar = form->Text1->verticalScrollBar();
    bar->setValue(120);
    save(path, TestSupport::toCp950(QStringLiteral("開頭\r\n") + text), Save::InPlace);
    QTRY_VERIFY(form->Text1->text().startsWith(QStringLiteral("開頭")));
    QCOMPARE(bar->value(), 120);
    // As far as the new text allows: a shorter file ends the pane where it ends.
    save(path, TestSupport::toCp950(QStringLiteral("短\r\n")), Save::InPlace);
    QTRY_COMPARE(form->Text1->text(), QStringLiteral("短\r\n"));
    QCOMPARE(bar->value(), bar->maximum());
}

QTEST_MAIN(tst_Follow)
#include "tst_follow.moc"
