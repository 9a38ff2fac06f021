#include "core/Find.h"
#include "forms/Form10.h"
#include "forms/Form2.h"
#include "forms/Form3.h"
#include "forms/Form4.h"
#include "modules/FileFollower.h"
#include "testsupport.h"
#include "widgets/FindBar.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

#include <filesystem>

using namespace Qt::StringLiterals;
using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

namespace {

FindBar* openFind(FormBase* form) {
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form))
        qWarning("window did not become active");
    TestSupport::press(Qt::ControlModifier | Qt::Key_F);
    return qobject_cast<FindBar*>(QApplication::focusWidget());
}

enum class Save { InPlace, RenamedOver, DeletedAndMadeAgain };

void save(const QString& path, const QByteArray& bytes, Save how) {
    if (how == Save::DeletedAndMadeAgain) {
        QVERIFY(QFile::remove(path));
        QTest::qWait(FileFollower::kQuietMs * 2); // the file is seen to be gone before it is back
    }
    const QString target = how == Save::RenamedOver ? path + QStringLiteral(".new") : path;
    QVERIFY(TestSupport::writeFile(target, bytes));
    if (how == Save::RenamedOver) {
        std::error_code error; // replacing the file, as editors do, on Windows too
        std::filesystem::rename(target.toStdU16String(), path.toStdU16String(), error);
        QVERIFY2(!error, error.message().c_str());
    }
}

} // namespace

Q_DECLARE_METATYPE(Save)

// Ctrl+F in lists and panes, and the data files a window shows reloaded when the player saves them.
class tst_FindFollow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void folding_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");
        const auto row = [](const char* name, const char* text, const char* query, bool found) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(query) << found;
        };
        row("letter case", "短劍 Lv10", "lV10", true);
        row("full-width text, half-width query", "鐵礦石ｘ２　Ｌｖ３", "x2 lv3", true);
        row("half-width text, full-width query", "Lv3 (東 281)", "ＬＶ３　（東", true);
        row("no fold across other letters", "Éa", "éa", false);
        row("not there", "木材x1", "x2", false);
        row("a character outside the BMP, and the one after it", "買𠮷野家", "𠮷野", true);
        row("not half of such a character", "買𠮷野家", "𠮷家", false);
    }

    void folding() {
        QFETCH(QString, text);
        QFETCH(QString, query);
        QFETCH(bool, found);
        // From no current item, or past either end, the search still covers every item once.
        for (const int start : {-1, 0, 2})
            for (const bool forward : {true, false})
                QCOMPARE(Find::findItem({QStringLiteral("other"), text}, query, start, forward) == 1, found);
        QTextDocument doc(text);
        const QRegularExpression pattern(Find::pattern(query));
        QCOMPARE(!doc.find(pattern, 0, QTextDocument::FindCaseSensitively).isNull(), found);
    }

    void inList_data() {
        QTest::addColumn<QList<int>>("keys"); // after typing "lv1"
        QTest::addColumn<int>("picked");
        const int next = Qt::Key_Return, again = Qt::Key_F3;
        const int back = (Qt::ShiftModifier | Qt::Key_Return).toCombined();
        QTest::newRow("typing finds the first") << QList<int>{} << 1;
        QTest::newRow("Enter finds the next") << QList<int>{next} << 3;
        QTest::newRow("F3 as well, wrapping at the end") << QList<int>{again, again} << 1;
        QTest::newRow("Shift+Enter wraps back from the first") << QList<int>{back} << 3;
    }

    void inList() {
        QFETCH(QList<int>, keys);
        QFETCH(int, picked);
        ProgramFolder folder;
        folder.writeCp950(QStringLiteral("合成表.txt"),
                          QStringLiteral("武器 材料\r\n短劍 Ｌｖ１\r\n長劍 Lv3\r\n斧 LV12\r\n"));
        auto* form = FormBase::open<Form3>();
        FindBar* bar = openFind(form);
        QVERIFY(bar);
        TestSupport::type(QStringLiteral("lv1"));
        for (int key : keys)
            TestSupport::press(QKeyCombination::fromCombined(key));
        QCOMPARE(form->List1->listIndex(), picked);
        QCOMPARE(form->Text1->text(), form->List1->itemText(picked));
        QVERIFY(!bar->missed());

        TestSupport::type(QStringLiteral("9"));
        QVERIFY(bar->missed());
        QCOMPARE(form->List1->listIndex(), picked);

        // Escape gives the focus back (to the detail box, where it was); the found line stays picked.
        TestSupport::press(Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QCOMPARE(QApplication::focusWidget(), form->Text1);
        QCOMPARE(form->List1->listIndex(), picked);
    }

    void inPane() {
        ProgramFolder folder;
        folder.writeCp950(QStringLiteral("職業\\劍士.txt"),
                          QStringLiteral("劍士\r\n攻擊 ＨＰ高\r\n技能 hp回復\r\n"));
        auto* form = FormBase::open<Form4>();
        QTest::mouseClick(form->Command[1], Qt::LeftButton);
        form->Text1->setFocus();
        FindBar* bar = openFind(form);
        QVERIFY(bar);
        TestSupport::type(QStringLiteral("Hp"));
        QCOMPARE(form->Text1->textCursor().selectedText(), QStringLiteral("ＨＰ"));
        TestSupport::press(Qt::Key_F3);
        TestSupport::press(Qt::Key_F3); // wraps
        QCOMPARE(form->Text1->textCursor().selectedText(), QStringLiteral("ＨＰ"));
        TestSupport::press(Qt::ShiftModifier | Qt::Key_F3); // wraps back
        QCOMPARE(form->Text1->textCursor().selectedText(), QStringLiteral("hp"));
        const int at = form->Text1->textCursor().selectionStart();
        TestSupport::type(QStringLiteral("x"));
        QVERIFY(bar->missed());
        QCOMPARE(form->Text1->textCursor().selectionStart(), at);
        TestSupport::press(Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), form->Text1);
        QCOMPARE(form->Text1->textCursor().selectedText(), QStringLiteral("hp"));
    }

    void inLongLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("backward"); // Shift+F3 after typing
        QTest::addColumn<QString>("found");
        const QString x(TextBox::kBlockChars - 2, u'x');
        QTest::newRow("across two pieces") << x + u"ABCDy"_s << u"abcd"_s << false << u"ABCD"_s;
        QTest::newRow("across two pieces, backward") << x + u"ABCDy"_s << u"abcd"_s << true << u"ABCD"_s;
        QTest::newRow("ending on the seam") << x.mid(2) + u"ABCDy"_s << u"abcd"_s << true << u"ABCD"_s;
        QTest::newRow("a character outside the BMP on the seam")
            << x + u"x𠮷野y"_s << u"𠮷野"_s << false << u"𠮷野"_s;
    }

    // A long line held in pieces is one text to find in: what is found is what copying gives.
    void inLongLine() {
        QFETCH(QString, line);
        QFETCH(QString, query);
        QFETCH(bool, backward);
        QFETCH(QString, found);
        ProgramFolder folder;
        folder.write(QStringLiteral("職業\\劍士.txt"), (u"劍士\r\n"_s + line + u"\r\n"_s).toUtf8());
        auto* form = FormBase::open<Form4>();
        QTest::mouseClick(form->Command[1], Qt::LeftButton);
        form->Text1->setFocus();
        FindBar* bar = openFind(form);
        QVERIFY(bar);
        TestSupport::commit(query);
        if (backward)
            TestSupport::press(Qt::ShiftModifier | Qt::Key_F3);
        QVERIFY(!bar->missed());
        TestSupport::press(Qt::Key_Escape);
        TestSupport::press(Qt::ControlModifier | Qt::Key_C);
        QCOMPARE(QApplication::clipboard()->text(), found);
    }

    // Far down a long list the found item is scrolled into view; Chinese arrives from the input method.
    void foundItemIsShown() {
        ProgramFolder folder;
        QString text;
        for (int i = 0; i < 300; ++i)
            text += QStringLiteral("材料%1\r\n").arg(i);
        folder.writeCp950(QStringLiteral("合成表.txt"), text + QStringLiteral("目標\r\n"));
        auto* form = FormBase::open<Form3>();
        QVERIFY(openFind(form));
        TestSupport::commit(QStringLiteral("目標"));
        QCOMPARE(form->List1->listIndex(), 300);
        const QRect row = form->List1->visualRect(form->List1->model()->index(300, 0));
        QVERIFY(form->List1->viewport()->rect().contains(row.center()));
    }

    // While the field is open the window's controls make room for it; closed, the design's layout is back.
    void layoutComesBack() {
        ProgramFolder folder;
        folder.writeCp950(QStringLiteral("合成表.txt"), QStringLiteral("甲\r\n"));
        folder.writeCp950(QStringLiteral("芙蕾雅島.txt"), QStringLiteral("乙\r\n"));
        auto* lists = FormBase::open<Form3>();
        auto* lookup = FormBase::open<Form2>();
        const QRect list = lists->List1->geometry();
        const QSize lookupSize = lookup->size();
        const QRect lookupList = lookup->List1->geometry();

        FindBar* bar = openFind(lists);
        QVERIFY(bar);
        QCOMPARE(lists->List1->geometry().height(), list.height() - bar->height());
        QCOMPARE(bar->geometry().bottom(), lists->height() - 1);
        TestSupport::press(Qt::Key_Escape);
        QCOMPARE(lists->List1->geometry(), list);

        // A window whose controls keep their places grows for the field instead.
        bar = openFind(lookup);
        QVERIFY(bar);
        QCOMPARE(lookup->height(), lookupSize.height() + bar->height());
        QCOMPARE(lookup->List1->geometry(), lookupList);
        TestSupport::press(Qt::Key_Escape);
        QCOMPARE(lookup->size(), lookupSize);
    }

    void savesAreShown_data() {
        QTest::addColumn<Save>("how");
        QTest::newRow("written in place") << Save::InPlace;
        QTest::newRow("new file renamed over the old") << Save::RenamedOver;
        QTest::newRow("deleted, then made again") << Save::DeletedAndMadeAgain;
    }

    // The list is read again as the region button would; the picked entry stays picked where it now is.
    void savesAreShown() {
        QFETCH(Save, how);
        ProgramFolder folder;
        const QString path =
            folder.writeCp950(QStringLiteral("芙蕾雅島.txt"), QStringLiteral("港口\r\n廣場\r\n"));
        MessageRecorder messages;
        auto* form = FormBase::open<Form2>();
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        form->List1->setListIndex(1);
        save(path, TestSupport::toCp950(QStringLiteral("新地點\r\n港口\r\n門口\r\n廣場 (5,6)\r\n廣場\r\n")),
             how);
        QTRY_COMPARE(form->List1->listCount(), 5);
        QCOMPARE(form->List1->listIndex(), 4);
        QCOMPARE(form->Text1->text(), QStringLiteral("廣場"));
        QVERIFY(messages.messages.isEmpty());
    }

    void editedPickIsShown_data() {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("picked");
        QTest::addColumn<QString>("detail");
        QTest::newRow("the picked line itself edited")
            << u"港口 (1,2)\r\n廣場 (3,5)\r\n門口\r\n"_s << 1 << u"廣場 (3,5)"_s;
        QTest::newRow("the picked row gone") << u"港口 (1,2)\r\n"_s << -1 << QString();
    }

    // As a stream editor saves (a new file renamed over the old), the detail never keeps a lost line.
    void editedPickIsShown() {
        QFETCH(QString, saved);
        QFETCH(int, picked);
        QFETCH(QString, detail);
        ProgramFolder folder;
        const QString path = folder.writeCp950(QStringLiteral("芙蕾雅島.txt"),
                                               QStringLiteral("港口 (1,2)\r\n廣場 (3,4)\r\n門口\r\n"));
        auto* form = FormBase::open<Form2>();
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {},
                          form->List1->visualRect(form->List1->model()->index(1, 0)).center());
        QCOMPARE(form->Text1->text(), QStringLiteral("廣場 (3,4)"));
        save(path, TestSupport::toCp950(saved), Save::RenamedOver);
        QTRY_COMPARE(form->List1->items().join(u"\r\n"_s) + u"\r\n"_s, saved);
        QCOMPARE(form->List1->listIndex(), picked);
        QCOMPARE(form->Text1->text(), detail);
    }

    void halfWrittenSaveIsNotShown() {
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
        QTest::qWait(FileFollower::kQuietMs * 2); // one save, one reload
        QCOMPARE(shown.count(QStringLiteral("half and the rest\r\n")), 1);

        // A file that goes away leaves the pane as it is, without a message.
        QVERIFY(QFile::remove(path));
        QTest::qWait(FileFollower::kQuietMs * 3);
        QCOMPARE(form->Text1->text(), QStringLiteral("half and the rest\r\n"));
        QVERIFY(messages.messages.isEmpty());
    }

    void paneKeepsItsPlace_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("profession") << QStringLiteral("職業\\劍士.txt");
        QTest::newRow("article, loaded on a worker") << QStringLiteral("心得文章\\劍士.txt");
    }

    void paneKeepsItsPlace() {
        QFETCH(QString, file);
        ProgramFolder folder;
        QString text;
        for (int i = 0; i < 300; ++i)
            text += QStringLiteral("第%1行\r\n").arg(i);
        const QString path = folder.writeCp950(file, text);
        TextBox* pane = nullptr;
        if (file.startsWith(u'職')) {
            auto* form = FormBase::open<Form4>();
            QTest::mouseClick(form->Command[1], Qt::LeftButton);
            pane = form->Text1;
        } else {
            pane = FormBase::open<Form10>()->Text1;
        }
        QTRY_COMPARE(pane->text(), text);
        QScrollBar* bar = pane->verticalScrollBar();
        bar->setValue(120);
        save(path, TestSupport::toCp950(QStringLiteral("開頭\r\n") + text), Save::InPlace);
        QTRY_VERIFY(pane->text().startsWith(QStringLiteral("開頭")));
        QTRY_COMPARE(bar->value(), 120);
        // As far as the new text allows: a shorter file ends the pane where it ends.
        save(path, TestSupport::toCp950(QStringLiteral("短\r\n")), Save::InPlace);
        QTRY_COMPARE(pane->text(), QStringLiteral("短\r\n"));
        QCOMPARE(bar->value(), bar->maximum());
    }
};

QTEST_MAIN(tst_FindFollow)
#include "tst_findfollow.moc"
