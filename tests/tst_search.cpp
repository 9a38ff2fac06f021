#include "core/Search.h"
#include "forms/Form1.h"
#include "forms/Form10.h"
#include "forms/Form2.h"
#include "forms/Form3.h"
#include "forms/Form4.h"
#include "forms/Form5.h"
#include "forms/Form7.h"
#include "forms/Form8.h"
#include "forms/SearchForm.h"
#include "modules/SearchIndex.h"
#include "modules/SearchResults.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

namespace {

QString hitsOf(const QString& text, bool trim, const QString& query, QString* firstMatched = nullptr) {
    const Search::Text indexed(text, trim);
    std::vector<Search::Hit> hits;
    indexed.find(Search::words(query), hits);
    QStringList shown;
    for (const Search::Hit& h : hits)
        shown.append(u"%1@%2+%3"_s.arg(h.line).arg(h.column).arg(h.length));
    if (firstMatched && !hits.empty())
        *firstMatched = indexed.line(hits[0].line, hits[0].column, hits[0].column + hits[0].length);
    return shown.join(u' ');
}

// A data folder with one file for every kind of window the search reaches, each holding 鐵礦 once.
void writeEveryKind(const ProgramFolder& folder) {
    folder.writeCp950(u"芙蕾雅島－伊爾村.txt"_s, u"  西門 (東 10)  \r\n  鐵礦山 (東 281)  \r\n"_s);
    folder.writeCp950(u"合成表.txt"_s, u"短劍 木材x1\r\n長劍 鐵礦x2\r\n"_s);
    folder.writeCp950(u"職業\\礦工.txt"_s, u"礦工\r\n採集 鐵礦 Lv1\r\n"_s);
    folder.writeCp950(u"礦工用安全帽.txt"_s, u"3,07,安全帽\r\n交給 鐵礦 十個\r\n"_s);
    folder.writeCp950(u"料理藥品.txt"_s, u"  麵包  \r\n  鐵礦湯 不能喝  \r\n"_s);
    folder.writeCp950(u"技能\\采集技能.txt"_s, u"  挖掘\r\n  鐵礦 挖掘 Lv5\r\n"_s);
    // Seven articles: the last one is on the reader's second page.
    for (int i = 1; i <= 6; ++i)
        folder.writeCp950(u"心得文章\\a%1.txt"_s.arg(i), u"第 %1 篇\r\n"_s.arg(i));
    folder.writeCp950(u"心得文章\\a7.txt"_s, u"  前言\r\n  挖到 鐵礦 的地方  \r\n"_s);
}

SearchForm* openSearch() {
    auto* menu = FormBase::open<Form1>();
    if (!QTest::qWaitForWindowActive(menu))
        qWarning("menu did not become active");
    TestSupport::press(Qt::ControlModifier | Qt::Key_F);
    auto* form = FormBase::existing<SearchForm>();
    if (form && !QTest::qWaitForWindowActive(form))
        qWarning("search window did not become active");
    return form;
}

QStringList rowTexts(const SearchForm* form) {
    QStringList rows;
    for (int i = 0; i < form->results()->rowCount(); ++i)
        rows.append(form->results()->index(i, 0).data().toString());
    return rows;
}

} // namespace

// One search over every data file: folding and words, results that open their window at the line,
// results that follow the files, and what players drop into the folders.
class tst_Search : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void matching_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("hits");    // line@column+length, the earliest word of each line
        QTest::addColumn<QString>("matched"); // the first hit's text as the file has it
        QTest::newRow("letter case and full width")
            << u"短劍 Lv10\r\n長劍ＬＶ１２\r\n斧\r\n"_s << false << u"lv1"_s << u"0@3+3 1@2+3"_s << u"Lv1"_s;
        QTest::newRow("a full-width query")
            << u"x\r\n短劍ＬＶ１２\r\n"_s << false << u"ＬＶ１"_s << u"1@2+3"_s << u"ＬＶ１"_s;
        QTest::newRow("every word, in any order") << u"鐵礦 x2 在 礦坑\r\n鐵礦 在 市場\r\n礦坑\r\n"_s << false
                                                  << u"礦坑 鐵礦"_s << u"0@0+2"_s << u"鐵礦"_s;
        QTest::newRow("words split at the ideographic space")
            << u"市場 鐵礦\r\n鐵礦\r\n"_s << false << u"鐵礦　市場"_s << u"0@0+2"_s << u"市場"_s;
        QTest::newRow("one word missing")
            << u"鐵礦 在 市場\r\n"_s << false << u"鐵礦 沙漠"_s << u""_s << u""_s;
        QTest::newRow("no words") << u"鐵礦\r\n"_s << false << u"  "_s << u""_s << u""_s;
        QTest::newRow("outside the BMP")
            << u"買𠮷野家\r\n𠮷\r\n"_s << false << u"𠮷野"_s << u"0@1+3"_s << u"𠮷野"_s;
        QTest::newRow("not half of such a character")
            << u"買𠮷野家\r\n"_s << false << u"𠮷家"_s << u""_s << u""_s;
        QTest::newRow("CR LF, CR and LF each end a line")
            << u"a\rb\nc\r\nd\r\n"_s << false << u"d"_s << u"3@0+1"_s << u"d"_s;
        QTest::newRow("a word never spans lines") << u"ab\r\ncd"_s << false << u"bc"_s << u""_s << u""_s;
        QTest::newRow("two hits in one line count once")
            << u"x 鐵 鐵\r\n鐵\r\n"_s << false << u"鐵"_s << u"0@2+1 1@0+1"_s << u"鐵"_s;
        QTest::newRow("trimmed: columns from the first kept character")
            << u"  abc  \r\n"_s << true << u"c"_s << u"0@2+1"_s << u"c"_s;
        QTest::newRow("untrimmed: spaces count")
            << u"  abc  \r\n"_s << false << u"c"_s << u"0@4+1"_s << u"c"_s;
        QTest::newRow("trimming keeps the ideographic space")
            << u"\u3000ab \r\n"_s << true << u"ab"_s << u"0@1+2"_s << u"ab"_s;
    }

    void matching() {
        QFETCH(QString, text);
        QFETCH(bool, trim);
        QFETCH(QString, query);
        QFETCH(QString, hits);
        QFETCH(QString, matched);
        QString first;
        QCOMPARE(hitsOf(text, trim, query, &first), hits);
        QCOMPARE(first, matched);
    }

    void excerpt_data() {
        QTest::addColumn<int>("lineLength");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        // A width of 160: a third of what the match leaves, (160 - 2) / 3 = 52, leads up to it.
        QTest::newRow("a short line whole") << 100 << 90 << 2 << 0 << 100;
        QTest::newRow("a match near the start") << 1000 << 10 << 2 << 0 << 160;
        QTest::newRow("a match in the middle") << 1000 << 500 << 2 << 448 << 608;
        QTest::newRow("a match at the end") << 1000 << 995 << 5 << 840 << 1000;
    }

    void excerpt() {
        QFETCH(int, lineLength);
        QFETCH(int, column);
        QFETCH(int, length);
        QFETCH(int, from);
        QFETCH(int, to);
        const Search::Span span = Search::excerpt(lineLength, column, length, 160);
        QCOMPARE(span.from, from);
        QCOMPARE(span.to, to);
    }

    // Rows in menu order, each saying where its line lives; nothing found turns the field pink.
    void rows() {
        ProgramFolder folder;
        writeEveryKind(folder);
        SearchForm* form = openSearch();
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), u"全部資料搜尋"_s);
        QCOMPARE(QApplication::focusWidget(), form->Text1);
        QCOMPARE(form->Text1->accessibleName(), u"搜尋全部資料"_s);
        QCOMPARE(form->List1->accessibleName(), u"搜尋結果"_s);
        TestSupport::commit(u"鐵礦"_s);
        QTRY_VERIFY(form->index()->complete() && !form->results()->searching());
        const QStringList expected{
            u"坐标查询 › 伊尔村：鐵礦山 (東 281)"_s, u"合成资料：長劍 鐵礦x2"_s,
            u"职业 › 礦工：採集 鐵礦 Lv1"_s,         u"任务详解 › 礦工用安全帽：交給 鐵礦 十個"_s,
            u"料理~藥品：鐵礦湯 不能喝"_s,           u"技能 › 采集技能：鐵礦 挖掘 Lv5"_s,
            u"心得文章 › a7：挖到 鐵礦 的地方"_s,
        };
        QCOMPARE(rowTexts(form), expected);
        QCOMPARE(form->Text1->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));

        TestSupport::commit(u"沙漠"_s);
        QTRY_VERIFY(!form->results()->searching());
        QCOMPARE(form->results()->rowCount(), 0);
        QCOMPARE(form->Text1->palette().color(QPalette::Base), QColor(255, 200, 200));

        // One instance: Ctrl+F again raises it with its query; Escape closes it.
        TestSupport::press(Qt::ControlModifier | Qt::Key_F);
        QCOMPARE(FormBase::existing<SearchForm>(), form);
        TestSupport::press(Qt::Key_Escape);
        QTRY_VERIFY(!FormBase::existing<SearchForm>());
    }

    void opens_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("selected"); // in a pane; a list picks the line
        QTest::newRow("region") << u"東 281"_s << u"Form2"_s << 1 << QString();
        QTest::newRow("synthesis") << u"長劍"_s << u"Form3"_s << 1 << QString();
        QTest::newRow("profession, typed full width") << u"ＬＶ１"_s << u"Form4"_s << 1 << u"Lv1"_s;
        QTest::newRow("quest of the restricted band") << u"十個"_s << u"Form5"_s << 1 << u"十個"_s;
        QTest::newRow("cooking") << u"不能喝"_s << u"Form7"_s << 1 << QString();
        QTest::newRow("skill group, two words") << u"lv5 挖掘"_s << u"Form8"_s << 1 << u"挖掘"_s;
        QTest::newRow("article on the second page") << u"的地方"_s << u"Form10"_s << 1 << u"的地方"_s;
    }

    // Enter on a result opens its window as its buttons would, at the line, with the focus there.
    void opens() {
        QFETCH(QString, query);
        QFETCH(QString, window);
        QFETCH(int, line);
        QFETCH(QString, selected);
        ProgramFolder folder;
        writeEveryKind(folder);
        MessageRecorder messages;
        SearchForm* form = openSearch();
        QVERIFY(form);
        TestSupport::commit(query);
        QTRY_COMPARE(form->results()->rowCount(), 1);
        TestSupport::press(Qt::Key_Return);
        QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow()->objectName() == window);
        QWidget* target = QApplication::activeWindow();
        if (selected.isEmpty()) {
            auto* list = target->findChild<ListBox*>(u"List1"_s);
            QVERIFY(list);
            QCOMPARE(list->listIndex(), line);
            QCOMPARE(target->findChild<TextBox*>(u"Text1"_s)->text(), list->itemText(line));
            QCOMPARE(QApplication::focusWidget(), list);
        } else {
            auto* box = target->findChild<TextBox*>(u"Text1"_s);
            QTRY_COMPARE(box->textCursor().selectedText(), selected);
            QVERIFY(box->textCursor().selectionStart() >= box->lineStart(line));
            QVERIFY(box->lineStart(line + 1) < 0 ||
                    box->textCursor().selectionStart() < box->lineStart(line + 1));
            QCOMPARE(QApplication::focusWidget(), box);
        }
        QVERIFY(messages.messages.isEmpty());
        // The search window stays, with its results, for the next one.
        QVERIFY(form->isVisible());
        QCOMPARE(form->results()->rowCount(), 1);
    }

    // The buttons lead where the search does: the band's quest (Down, then Enter in the list) and the
    // article's page (a double click).
    void opensThroughTheButtons() {
        ProgramFolder folder;
        writeEveryKind(folder);
        SearchForm* form = openSearch();
        QVERIFY(form);
        TestSupport::commit(u"十個"_s);
        QTRY_COMPARE(form->results()->rowCount(), 1);
        TestSupport::press(Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), form->List1);
        TestSupport::press(Qt::Key_Enter);
        auto* quests = FormBase::existing<Form5>();
        QVERIFY(quests);
        QVERIFY(quests->Option5->isChecked());
        QCOMPARE(quests->Label1->text(), u"採集系限定"_s);
        QCOMPARE(quests->piccode, u"07"_s);

        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        form->Text1->setFocus();
        TestSupport::press(Qt::ControlModifier | Qt::Key_A);
        TestSupport::commit(u"的地方"_s);
        QTRY_COMPARE(form->results()->rowCount(), 1);
        // A double click on the row, through the window as the mouse sends it.
        const QRect row = form->List1->visualRect(form->results()->index(0, 0));
        const QPoint at = form->List1->viewport()->mapTo(form, row.center());
        QTest::mouseDClick(form->windowHandle(), Qt::LeftButton, {}, at);
        auto* articles = FormBase::existing<Form10>();
        QVERIFY(articles);
        QTRY_COMPARE(articles->Frame1->title(), u"心得文章  第 2 頁"_s);
        QVERIFY(articles->Option1[0]->isChecked());
        QTRY_VERIFY(articles->Text1->text().startsWith(u"前言\r\n"_s));
    }

    void followsSaves() {
        ProgramFolder folder;
        const QString path = folder.writeCp950(u"合成表.txt"_s, u"長劍 鐵礦x2\r\n"_s);
        SearchForm* form = openSearch();
        QVERIFY(form);
        TestSupport::commit(u"鐵礦"_s);
        QTRY_COMPARE(rowTexts(form), QStringList{u"合成资料：長劍 鐵礦x2"_s});
        // Saved in place, another line found.
        QVERIFY(TestSupport::writeFile(path, TestSupport::toCp950(u"斧 鐵礦x5\r\n長劍 鐵礦x3\r\n"_s)));
        QTRY_COMPARE_WITH_TIMEOUT(rowTexts(form),
                                  (QStringList{u"合成资料：斧 鐵礦x5"_s, u"合成资料：長劍 鐵礦x3"_s}), 8000);
        // A new article appears; a deleted file's results go.
        folder.writeCp950(u"心得文章\\新.txt"_s, u"鐵礦\r\n"_s);
        QTRY_COMPARE_WITH_TIMEOUT(form->results()->rowCount(), 3, 8000);
        QVERIFY(QFile::remove(path));
        QTRY_COMPARE_WITH_TIMEOUT(rowTexts(form), QStringList{u"心得文章 › 新：鐵礦"_s}, 8000);
    }

    // A file gone when the player presses Enter: its window says so, as its button would.
    void vanishedFile() {
        ProgramFolder folder;
        const QString path = folder.writeCp950(u"職業\\礦工.txt"_s, u"採集 鐵礦\r\n"_s);
        MessageRecorder messages;
        SearchForm* form = openSearch();
        QVERIFY(form);
        TestSupport::commit(u"鐵礦"_s);
        QTRY_COMPARE(form->results()->rowCount(), 1);
        QVERIFY(QFile::remove(path));
        TestSupport::press(Qt::Key_Return);
        QCOMPARE(messages.texts(), QStringList{u"找不到檔案\"職業\\礦工.txt\",或檔案無內容"_s});
        auto* professions = FormBase::existing<Form4>();
        QVERIFY(professions && professions->isVisible());
        QCOMPARE(professions->Text1->text(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(form->results()->rowCount(), 0, 8000);
    }

    // Typing while a long article folder is still being read: results come as the files are read, and
    // the window says it is still reading.
    void searchWhileReading() {
        ProgramFolder folder;
        constexpr int kArticles = 6000;
        QVERIFY(QDir(folder.path()).mkpath(u"心得文章"_s));
        for (int i = 0; i < kArticles; ++i) {
            const bool wanted = i == 0 || i == kArticles - 1;
            QVERIFY(TestSupport::writeFile(folder.path() + u"/心得文章/n%1.txt"_s.arg(i, 5, 10, QChar(u'0')),
                                           wanted ? "iron ore\r\n" : "nothing here\r\n"));
        }
        SearchForm* form = openSearch();
        QVERIFY(form);
        bool firstBeforeComplete = false;
        QString stateThen;
        connect(form->results(), &QAbstractItemModel::rowsInserted, this, [&] {
            if (stateThen.isEmpty()) {
                firstBeforeComplete = !form->index()->complete();
                stateThen = form->Label1->text();
            }
        });
        TestSupport::type(u"ORE"_s);
        QVERIFY(!form->index()->complete());
        QTRY_COMPARE_WITH_TIMEOUT(form->results()->rowCount(), 2, 30000);
        QVERIFY(firstBeforeComplete);
        QVERIFY2(stateThen.startsWith(u"讀取中…已讀 "_s), qPrintable(stateThen));
        QTRY_VERIFY_WITH_TIMEOUT(form->index()->complete(), 30000);
        QCOMPARE(rowTexts(form),
                 (QStringList{u"心得文章 › n00000：iron ore"_s, u"心得文章 › n05999：iron ore"_s}));
        QTRY_COMPARE(form->Label1->text(), u"找到 2 行"_s);
    }

    // What players drop into folders: undecodable bytes, a line of megabytes, a folder or a pipe named
    // like an article, a name that is not UTF-8.
    void badInput() {
        ProgramFolder folder;
        folder.write(u"合成表.txt"_s,
                     TestSupport::toCp950(u"長劍 "_s) + "\x81\xFF" + TestSupport::toCp950(u"鐵礦\r\n"_s));
        const QString x(5 << 20, u'x');
        folder.write(u"料理藥品.txt"_s, (x + u"鐵礦"_s + x + u"\r\n"_s).toUtf8());
        QDir(folder.path()).mkpath(u"心得文章/資料夾.txt"_s);
#ifdef Q_OS_UNIX
        QVERIFY(::mkfifo(QFile::encodeName(folder.path() + u"/心得文章/管道.txt"_s).constData(), 0600) == 0);
        // A name unpacked from a Windows archive: code page 950 bytes, shown under its Chinese title.
        QVERIFY(TestSupport::writeFile(QFile::encodeName(folder.path() + u"/心得文章/"_s) +
                                           TestSupport::toCp950(u"舊文.txt"_s),
                                       TestSupport::toCp950(u"挖 鐵礦\r\n"_s)));
#endif
        SearchForm* form = openSearch();
        QVERIFY(form);
        TestSupport::commit(u"鐵礦"_s);
        QTRY_VERIFY_WITH_TIMEOUT(form->index()->complete() && !form->results()->searching(), 30000);
        const QStringList rows = rowTexts(form);
#ifdef Q_OS_UNIX
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[2], u"心得文章 › 舊文：挖 鐵礦"_s);
        TestSupport::press(Qt::Key_Down);
        TestSupport::press(Qt::Key_Down);
        TestSupport::press(Qt::Key_Down);
        TestSupport::press(Qt::Key_Return);
        auto* articles = FormBase::existing<Form10>();
        QVERIFY(articles);
        QTRY_COMPARE(articles->Text1->textCursor().selectedText(), u"鐵礦"_s);
        QCOMPARE(articles->Text1->text(), u"挖 鐵礦\r\n"_s);
#else
        QCOMPARE(rows.size(), 2);
#endif
        QVERIFY2(rows[0].startsWith(u"合成资料：長劍 \uFFFD"_s) && rows[0].endsWith(u"鐵礦"_s),
                 qPrintable(rows[0]));
        // The long line shows the part around its match.
        QVERIFY(rows[1].contains(u"x鐵礦x"_s));
        QVERIFY(rows[1].size() <= int(u"料理~藥品：…"_s.size() + SearchResults::kExcerptChars + 1));
    }
};

QTEST_MAIN(tst_Search)
#include "tst_search.moc"
