#include "core/ArticleList.h"
#include "forms/Form10.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_Articles : public QObject {
    Q_OBJECT
private slots:
    void titles_data();
    void titles();
    void paging_data();
    void paging();
    void pageTitles_data();
    void pageTitles();
    void order_data();
    void order();
    void folderListing();
    void missingFolderListsNothing();
};

void tst_Articles::titles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("file");
    QTest::newRow("abc.txt") << "abc.txt"
                             << "abc" << QStringLiteral("心得文章\\abc.txt");
    QTest::newRow("abc.text keeps the dot") << "abc.text"
                                            << "abc." << QStringLiteral("心得文章\\abc..txt");
    QTest::newRow("chinese name") << QStringLiteral("讀者來信.text") << QStringLiteral("讀者來信.")
                                  << QStringLiteral("心得文章\\讀者來信..txt");
    QTest::newRow("a.b is blank") << "a.b"
                                  << ""
                                  << "";
    QTest::newRow("four characters are blank") << ".txt"
                                               << ""
                                               << "";
    QTest::newRow("five characters leave one") << "x.txt"
                                               << "x" << QStringLiteral("心得文章\\x.txt");
    QTest::newRow("upper-case extension found as listed") << "Note.TXT"
                                                          << "Note" << QStringLiteral("心得文章\\Note.TXT");
    QTest::newRow("empty name") << ""
                                << ""
                                << "";
    QTest::newRow("no extension loses its tail") << "readme"
                                                 << "re" << QStringLiteral("心得文章\\re.txt");
    QTest::newRow("astral character counts as one")
        << QStringLiteral("\U0001F600.txt") << QStringLiteral("\U0001F600")
        << QStringLiteral("心得文章\\\U0001F600.txt");
    QTest::newRow("astral tail never split")
        << QStringLiteral("\U0001F600abcd") << QStringLiteral("\U0001F600")
        << QStringLiteral("心得文章\\\U0001F600.txt");
}

void tst_Articles::titles() {
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, file);
    QCOMPARE(ArticleList::titleOf(name), title);
    if (!title.isEmpty())
        QCOMPARE(ArticleList::folderName() + u'\\' + ArticleList::fileFor(title, {"other.txt", name}), file);
}

void tst_Articles::paging_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    QTest::newRow("0: stays on page 1") << 0 << 0 << 1 << 1 << 1;
    QTest::newRow("6: one full page") << 6 << 1 << 1 << 1 << 1;
    QTest::newRow("7: onto page 2") << 7 << 2 << 1 << 2 << 1;
    QTest::newRow("7: last page stays") << 7 << 2 << 2 << 2 << 1;
    QTest::newRow("12: two full pages") << 12 << 2 << 2 << 2 << 1;
    QTest::newRow("13: third page") << 13 << 3 << 2 << 3 << 1;
    QTest::newRow("13: from page 3") << 13 << 3 << 3 << 3 << 2;
    QTest::newRow("1: one page") << 1 << 1 << 1 << 1 << 1;
}

void tst_Articles::paging() {
    QFETCH(int, entries);
    QFETCH(int, pages);
    QFETCH(int, from);
    QFETCH(int, next);
    QFETCH(int, previous);
    QCOMPARE(ArticleList::pageCount(entries), pages);
    QCOMPARE(ArticleList::nextPage(from, entries), next);
    QCOMPARE(ArticleList::previousPage(from), previous);
}

void tst_Articles::pageTitles_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("0 entries") << 0 << 1 << QStringList{"", "", "", "", "", ""};
    QTest::newRow("6 entries") << 6 << 1 << QStringList{"n01", "n02", "n03", "n04", "n05", "n06"};
    QTest::newRow("7 entries, page 2") << 7 << 2 << QStringList{"n07", "", "", "", "", ""};
    QTest::newRow("12 entries, page 2") << 12 << 2 << QStringList{"n07", "n08", "n09", "n10", "n11", "n12"};
    QTest::newRow("13 entries, page 3") << 13 << 3 << QStringList{"n13", "", "", "", "", ""};
    QTest::newRow("page past the end") << 7 << 3 << QStringList{"", "", "", "", "", ""};
}

void tst_Articles::pageTitles() {
    QFETCH(int, entries);
    QFETCH(int, page);
    QFETCH(QStringList, titles);
    QStringList names;
    for (int i = 1; i <= entries; ++i)
        names.append(QStringLiteral("n%1.txt").arg(i, 2, 10, QLatin1Char('0')));
    QCOMPARE(ArticleList::pageTitles(names, page), titles);
}

void tst_Articles::order_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("case ignored") << QStringList{"b.txt", "C.txt", "a.txt"}
                                  << QStringList{"a.txt", "b.txt", "C.txt"};
    QTest::newRow("upper case not first")
        << QStringList{"Zed.txt", "apple.txt"} << QStringList{"apple.txt", "Zed.txt"};
    QTest::newRow("dot sorts before letters")
        << QStringList{"ab.txt", "a.txt"} << QStringList{"a.txt", "ab.txt"};
    // 龍 has 16 strokes, 讀 22: stroke order puts 龍 first although its code point is higher.
    QTest::newRow("chinese by strokes")
        << QStringList{QStringLiteral("龍.txt"), QStringLiteral("讀.txt"), QStringLiteral("一.txt")}
        << QStringList{QStringLiteral("一.txt"), QStringLiteral("龍.txt"), QStringLiteral("讀.txt")};
    QTest::newRow("latin before chinese")
        << QStringList{QStringLiteral("一.txt"), "z.txt"} << QStringList{"z.txt", QStringLiteral("一.txt")};
    QTest::newRow("outside the code page last")
        << QStringList{QStringLiteral("\U0001F600.txt"), QStringLiteral("讀.txt")}
        << QStringList{QStringLiteral("讀.txt"), QStringLiteral("\U0001F600.txt")};
    QTest::newRow("names equal but for case keep a fixed order")
        << QStringList{"a.txt", "A.txt"} << QStringList{"A.txt", "a.txt"};
}

void tst_Articles::order() {
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    QCOMPARE(ArticleList::sortNames(names), sorted);
}

void tst_Articles::folderListing() {
    QTemporaryDir dir;
    const auto touch = [&](const QString& name) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    };
    touch(QStringLiteral("b.txt"));
    touch(QStringLiteral("A.txt"));
    touch(QStringLiteral(".hidden.txt"));
    touch(QStringLiteral("讀者來信.text"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    QCOMPARE(Form10::listArticles(dir.path()),
             (QStringList{"A.txt", "b.txt", QStringLiteral("讀者來信.text")}));
}

void tst_Articles::missingFolderListsNothing() {
    QTemporaryDir dir;
    QCOMPARE(Form10::listArticles(dir.filePath(QStringLiteral("心得文章"))), QStringList());
    QCOMPARE(Form10::listArticles(QString()), QStringList());
}

QTEST_APPLESS_MAIN(tst_Articles)
#include "tst_articles.moc"
